#include "Usage.h"

#include "dating/input/InputText.h"
#include "dating/output/Messages.h"

#include <QString>

namespace Usage {

namespace {

QString text(Error error, QByteArrayView option)
{
    switch (error) {
    case Error::UnknownOption:
        return QStringLiteral("unknown option '%1'")
            .arg(InputText::escaped(option, InputText::Encoding::Utf8));
    case Error::NoColumnName:
        return QStringLiteral("--column takes a column's name or its 1-based number");
    case Error::BadDelimiter:
        return QStringLiteral("--delimiter takes one ASCII character other than a quote or a "
                              "line break, or 'tab'");
    case Error::ColumnWithSerials:
        return QStringLiteral("--column reads standard input; give no SERIAL with it");
    case Error::ColumnWithBuiltOn:
        return QStringLiteral("--built-on and --column cannot be given together");
    case Error::ColumnWithCsv:
        return QStringLiteral("--csv and --column cannot be given together");
    case Error::DelimiterWithoutColumn:
        return QStringLiteral("--delimiter needs --column");
    case Error::BadEncoding:
        return option.isEmpty()
                   ? QStringLiteral("--encoding takes the name of an encoding")
                   : QStringLiteral("unknown encoding '%1': give UTF-8, UTF-16LE, UTF-16BE or "
                                    "windows-1252, for example")
                         .arg(InputText::escaped(option, InputText::Encoding::Utf8));
    case Error::EncodingWithoutColumn:
        return QStringLiteral("--encoding needs --column");
    case Error::OutputWithoutColumn:
        return QStringLiteral("--output needs --column");
    case Error::SheetWithoutColumn:
        return QStringLiteral("--sheet needs --column");
    case Error::SeveralTables:
        return QStringLiteral("--column reads one table: name one file, or none to read "
                              "standard input");
    case Error::WorkbookWithoutOutput:
        return QStringLiteral("%1 is a workbook: name the dated copy to write with --output "
                              "FILE")
            .arg(QString::fromUtf8(option));
    case Error::SheetOfCsv:
        return QStringLiteral("--sheet is for a workbook (.xlsx, .ods); %1 is CSV")
            .arg(QString::fromUtf8(option));
    case Error::MissingValue:
        return QStringLiteral("%1 takes a value").arg(QString::fromUtf8(option));
    case Error::OutputOfOtherKind:
        return QStringLiteral("the dated table is written as the kind of file it was read "
                              "from: name the output %1")
            .arg(QString::fromUtf8(option));
    }
    return {};
}

} // namespace

int error(Error error, QByteArrayView option)
{
    Messages::say(text(error, option));
    Messages::write(kSynopsis);
    return Messages::kUsageError;
}

} // namespace Usage
