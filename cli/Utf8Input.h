#pragma once

#include "InputStream.h"
#include "InputText.h"

#include <QByteArray>
#include <QStringDecoder>

// Standard input as UTF-8, block by block: a UTF-8 byte-order mark is dropped, UTF-16 with a
// mark is converted. UTF-8 bytes are passed on as they are, valid or not.
class Utf8Input {
public:
    // Reads the start of the input, which tells its encoding.
    explicit Utf8Input(InputStream& input);

    // The next block into `block`; false at the end of the input.
    bool read(QByteArray& block);
    bool hadByteOrderMark() const { return markLength_ > 0; }

private:
    InputStream& input_;
    QByteArray raw_;
    bool oddByte_ = false; // an odd number of UTF-16 bytes so far
    int markLength_ = 0;
    InputText::Encoding encoding_ = InputText::Encoding::Utf8;
    QStringDecoder decoder_;
};
