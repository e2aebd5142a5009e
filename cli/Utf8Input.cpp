#include "Utf8Input.h"

namespace {

constexpr QByteArrayView kReplacementCharacter = "\xEF\xBF\xBD";

} // namespace

Utf8Input::Utf8Input(InputStream& input)
    : input_(input)
{
    const InputText::ByteOrderMark mark = input_.appendStart(raw_);
    markLength_ = mark.length;
    encoding_ = mark.encoding;
    raw_.remove(0, mark.length);
    constexpr auto kFlags = QStringDecoder::Flag::ConvertInitialBom;
    if (encoding_ == InputText::Encoding::Utf16LE)
        decoder_ = QStringDecoder(QStringDecoder::Utf16LE, kFlags);
    else if (encoding_ == InputText::Encoding::Utf16BE)
        decoder_ = QStringDecoder(QStringDecoder::Utf16BE, kFlags);
}

bool Utf8Input::read(QByteArray& block)
{
    block.clear();
    while (block.isEmpty()) {
        if (raw_.isEmpty() && input_.append(raw_) == 0) {
            // Half a UTF-16 code unit at the very end is a character that is not there.
            if (encoding_ != InputText::Encoding::Utf8 && oddByte_) {
                oddByte_ = false;
                block = kReplacementCharacter.toByteArray();
                return true;
            }
            return false;
        }
        if (encoding_ == InputText::Encoding::Utf8) {
            block.swap(raw_);
        } else {
            oddByte_ = oddByte_ != (raw_.size() % 2 != 0);
            block = QString(decoder_(raw_)).toUtf8();
        }
        raw_.clear();
    }
    return true;
}
