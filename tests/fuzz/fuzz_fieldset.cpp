// Fuzzes the main window's logic (frmMain and its field set) with a stream of user actions.
//
// Input: byte 0 picks the separators (FuzzLocales); then one action per byte, with operand bytes
// after some of them (see Action). After every action the field set must pass ModelChecks::check,
// no handler may nest deeper than twice, and the action must have had exactly its own effect.
#include "FuzzLocales.h"
#include "ModelChecks.h"
#include "Reference.h"

#include "app/Identity.h"
#include "data/DateCalculators.h"
#include "ui/main/FormHost.h"
#include "ui/main/frmMain.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

using enum Control;

namespace {

// The typing limit of the serial field.
constexpr qsizetype kSerialLimit = 8;

class FuzzHost : public FormHost {
public:
    Answer ask(const Message& message) override
    {
        asked.push_back(message);
        if (answers.empty())
            return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Closed;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showAbout() override { ++aboutShown; }
    void endApplication() override { ++ended; }

    std::deque<Answer> answers;
    std::vector<Message> asked;
    int aboutShown = 0;
    int ended = 0;
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size)
        : data_(data)
        , size_(size)
    {
    }
    bool atEnd() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    quint32 word()
    {
        quint32 w = 0;
        for (int i = 0; i < 4; ++i)
            w = (w << 8) | byte();
        return w;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Characters a user may type or paste: digits most of all, then what may make or break a number.
QChar characterOf(uint8_t byte, const NumberRules::Separators& seps)
{
    static const char16_t kOthers[] =
        u"+-.,eE \t'x\u00a0\u202f\u2019\u066b\u066c\u2e41\u0661\u00e9";
    if (byte < 128)
        return QChar(u'0' + byte % 10);
    byte -= 128;
    if (byte < 16)
        return seps.decimal.at(0);
    if (byte < 32)
        return seps.group.at(0);
    return QChar(kOthers[byte % (std::size(kOthers) - 1)]);
}

QString serialOf(quint32 word)
{
    // Mostly serials the table holds; also the edges of the range and of the gap.
    static const qint64 kEdges[] = {0,        1,        11,      12,      15076231, 15076232,
                                    2831426,  2831427,  2843126, 2843127, 9232671,  9323672,
                                    15034670, 15034700, 157425,  183564,  -1,       -15076231};
    switch (word % 8) {
    case 0:
        return QString::number(kEdges[(word / 8) % std::size(kEdges)]);
    case 1: {
        // A month's first or last serial, or one next to it.
        const auto rows = DateCalculators::monthRows();
        const auto& row = rows[(word / 8) % rows.size()];
        const qint64 offsets[] = {0, 1, -1};
        const qint64 base = (word / 2048) % 2 ? row.last : row.first;
        return QString::number(base + offsets[(word / 4096) % 3]);
    }
    default:
        return QString::number(1 + (word / 8) % DateCalculators::kLastSerial);
    }
}

class Run {
public:
    explicit Run(const FuzzLocales::Entry& locale)
        : locale_(locale)
        , form_(host_, appIdentity(), locale.separators)
    {
        form_.Form_Load();
        verify("after load");
    }

    // Returns false once the application has ended.
    bool step(Reader& in)
    {
        const uint8_t action = in.byte();
        switch (action % 16) {
        case 0:
        case 1:
        case 2:
        case 3:
            typeCharacter(characterOf(in.byte(), seps()));
            break;
        case 4:
        case 5: {
            // A paste, a drop or text set by an assistive technology: the typing limit does not
            // hold for it, it comes whole. Mostly short, sometimes long.
            QString pasted;
            for (int n = in.byte() % (action % 16 == 4 ? 12 : 48); n > 0; --n)
                pasted += characterOf(in.byte(), seps());
            paste(pasted);
            break;
        }
        case 6:
            backspace();
            break;
        case 7:
            deleteForward();
            break;
        case 8:
            moveCaret(in.byte());
            break;
        case 9:
            replaceAll(serialOf(in.word()));
            break;
        case 10:
        case 11:
            calculate();
            break;
        case 12: {
            const Answer answers[] = {Answer::Yes, Answer::No, Answer::Closed};
            reset(answers[in.byte() % 3]);
            break;
        }
        case 13:
            about();
            break;
        case 14:
            closeRequest(in.byte() % 2 ? Answer::No : Answer::Closed);
            break;
        case 15:
            if (in.byte() == 'Y') {
                closeRequest(Answer::Yes);
                return false;
            }
            break;
        }
        return true;
    }

private:
    const NumberRules::Separators& seps() const { return locale_.separators; }
    FieldSet& f() { return form_.fields(); }

    [[noreturn]] void fail(const QString& what)
    {
        std::fprintf(stderr, "fuzz_fieldset: %s\n  locale %s, after: %s\n", qPrintable(what),
                     qPrintable(locale_.name), qPrintable(log_.join(QStringLiteral(" | "))));
        std::abort();
    }

    void verify(const char* when)
    {
        const QString fault = ModelChecks::check(f());
        if (!fault.isEmpty())
            fail(QString::fromLatin1(when) + QStringLiteral(": ") + fault);
        if (f().deepestNesting() > 2)
            fail(QStringLiteral("%1: a change handler nested %2 deep")
                     .arg(QString::fromLatin1(when))
                     .arg(f().deepestNesting()));
        f().resetNestingCount();
    }

    void expectNoMessage(const char* when)
    {
        if (!host_.asked.empty())
            fail(QStringLiteral("%1: unexpected message \"%2\"")
                     .arg(QString::fromLatin1(when), host_.asked.front().text));
    }

    // A user edit of the serial: the proposed text and where the caret stands after it.
    void edit(const QString& proposed, int caret, const char* what)
    {
        log_ << QStringLiteral("%1 -> \"%2\"").arg(QString::fromLatin1(what), proposed);
        host_.asked.clear();
        const QStringList before = ModelChecks::snapshot(f());
        const QString old = f().text(txtSerial);
        form_.userEdit(txtSerial, proposed, caret);
        expectNoMessage(what);
        verify(what);

        const auto value = Reference::strict(proposed, seps());
        const QString expected =
            value ? Reference::mask(*value, NumberRules::Mask::Zero, seps().group) : QString();
        if (f().text(txtSerial) != expected)
            fail(QStringLiteral("%1: typing \"%2\" leaves \"%3\", expected \"%4\"")
                     .arg(QString::fromLatin1(what), proposed, f().text(txtSerial), expected));
        const int expectedCaret = proposed != old
                                      ? static_cast<int>(expected.size())
                                      : std::clamp(caret, 0, static_cast<int>(old.size()));
        if (f().caret(txtSerial) != expectedCaret)
            fail(QStringLiteral("%1: the caret stands at %2, expected %3")
                     .arg(QString::fromLatin1(what))
                     .arg(f().caret(txtSerial))
                     .arg(expectedCaret));
        QStringList after = ModelChecks::snapshot(f());
        after[static_cast<qsizetype>(indexOf(txtSerial))] =
            before[static_cast<qsizetype>(indexOf(txtSerial))];
        const QString other = ModelChecks::firstDifference(before, after);
        if (!other.isEmpty())
            fail(QStringLiteral("%1: an edit of the serial changed another control: %2")
                     .arg(QString::fromLatin1(what), other));
    }

    void typeCharacter(QChar c)
    {
        const QString& text = f().text(txtSerial);
        if (text.size() + 1 > std::max(kSerialLimit, text.size()))
            return; // the field refuses a character beyond its limit
        const int caret = f().caret(txtSerial);
        QString proposed = text;
        proposed.insert(caret, c);
        edit(proposed, caret + 1, "type");
    }

    void paste(const QString& pasted)
    {
        if (pasted.isEmpty())
            return;
        const int caret = f().caret(txtSerial);
        QString proposed = f().text(txtSerial);
        proposed.insert(caret, pasted);
        edit(proposed, caret + static_cast<int>(pasted.size()), "paste");
    }

    void replaceAll(const QString& serial)
    {
        edit(serial, static_cast<int>(serial.size()), "replace");
    }

    void backspace()
    {
        const int caret = f().caret(txtSerial);
        if (caret == 0)
            return;
        QString proposed = f().text(txtSerial);
        proposed.remove(caret - 1, 1);
        edit(proposed, caret - 1, "backspace");
    }

    void deleteForward()
    {
        const int caret = f().caret(txtSerial);
        if (caret >= f().text(txtSerial).size())
            return;
        QString proposed = f().text(txtSerial);
        proposed.remove(caret, 1);
        edit(proposed, caret, "delete");
    }

    void moveCaret(uint8_t to)
    {
        const int length = static_cast<int>(f().text(txtSerial).size());
        const int caret = to % (length + 2); // one past the end is clamped
        log_ << QStringLiteral("caret %1").arg(caret);
        const QStringList before = ModelChecks::snapshot(f());
        form_.userEdit(txtSerial, f().text(txtSerial), caret);
        if (f().caret(txtSerial) != std::min(caret, length))
            fail(QStringLiteral("the caret does not move to %1").arg(caret));
        const QString changed = ModelChecks::firstDifference(before, ModelChecks::snapshot(f()));
        if (!changed.isEmpty())
            fail(QStringLiteral("moving the caret changed a text: ") + changed);
        verify("caret");
    }

    void calculate()
    {
        log_ << QStringLiteral("calculate");
        host_.asked.clear();
        const QStringList before = ModelChecks::snapshot(f());
        const QString serial = f().text(txtSerial);
        form_.cmdCalculate_Click();
        verify("calculate");

        const QString changed = ModelChecks::firstDifference(before, ModelChecks::snapshot(f()));
        if (serial.isEmpty()) {
            expectNoMessage("calculate with an empty serial");
            if (!changed.isEmpty())
                fail(QStringLiteral("calculating with an empty serial changed ") + changed);
            return;
        }
        const auto value = Reference::strict(serial, seps());
        const bool inRange = value && *value >= 1 && *value <= 15076231;
        const auto expected = inRange ? ModelChecks::expectedFor(*value) : std::nullopt;
        if (expected) {
            expectNoMessage("calculate");
            const QString sentence = ModelChecks::sentence(serial, *expected);
            if (f().text(lblDate) != sentence)
                fail(QStringLiteral("calculating %1 gives \"%2\", expected \"%3\"")
                         .arg(serial, f().text(lblDate), sentence));
            return;
        }
        // Out of range or in no month: one warning, and nothing else happens.
        if (host_.asked.size() != 1 || host_.asked.front().icon != MessageIcon::Warning ||
            host_.asked.front().buttons != MessageButtons::Ok)
            fail(QStringLiteral("calculating %1 asks %2 messages, expected one warning")
                     .arg(serial)
                     .arg(host_.asked.size()));
        if (!inRange && !(host_.asked.front() == frmMain::rangeWarning()))
            fail(QStringLiteral("calculating %1 does not give the range warning: \"%2\"")
                     .arg(serial, host_.asked.front().text));
        if (!changed.isEmpty())
            fail(QStringLiteral("a refused serial %1 changed %2").arg(serial, changed));
    }

    void reset(Answer answer)
    {
        log_ << QStringLiteral("reset %1").arg(int(answer));
        host_.asked.clear();
        host_.answers = {answer};
        const QStringList before = ModelChecks::snapshot(f());
        form_.cmdReset_Click();
        host_.answers.clear();
        verify("reset");
        if (host_.asked.size() != 1 || !(host_.asked.front() == frmMain::resetQuestion()))
            fail(QStringLiteral("reset does not ask its question exactly once"));
        const QStringList after = ModelChecks::snapshot(f());
        if (answer != Answer::Yes) {
            const QString changed = ModelChecks::firstDifference(before, after);
            if (!changed.isEmpty())
                fail(QStringLiteral("reset answered No changed ") + changed);
            return;
        }
        if (!f().text(txtSerial).isEmpty() || f().text(lblDate) != frmMain::promptText())
            fail(QStringLiteral("reset answered Yes leaves the serial or the prompt"));
        for (Control c : {txtMonth, txtYear, txtYearStart, txtYearEnd}) {
            const auto i = static_cast<qsizetype>(indexOf(c));
            if (before[i] != after[i])
                fail(QStringLiteral("reset changed ") + ModelChecks::nameOf(c));
        }
    }

    void about()
    {
        log_ << QStringLiteral("about");
        host_.asked.clear();
        const int shown = host_.aboutShown;
        const QStringList before = ModelChecks::snapshot(f());
        form_.cmdAbout_Click();
        verify("about");
        expectNoMessage("about");
        if (host_.aboutShown != shown + 1)
            fail(QStringLiteral("About does not show the About window"));
        const QString changed = ModelChecks::firstDifference(before, ModelChecks::snapshot(f()));
        if (!changed.isEmpty())
            fail(QStringLiteral("About changed ") + changed);
    }

    void closeRequest(Answer answer)
    {
        log_ << QStringLiteral("close %1").arg(int(answer));
        host_.asked.clear();
        host_.answers = {answer};
        const QStringList before = ModelChecks::snapshot(f());
        qint16 cancel = 0;
        form_.Form_QueryUnload(cancel, 0);
        host_.answers.clear();
        if (host_.asked.size() != 1 || !(host_.asked.front() == form_.closeQuestion()))
            fail(QStringLiteral("a close request does not ask its question exactly once"));
        if (answer == Answer::Yes) {
            if (cancel == frmMain::kCancel || host_.ended != 1)
                fail(QStringLiteral("close answered Yes does not end the application"));
            return;
        }
        verify("close");
        if (cancel != frmMain::kCancel || host_.ended != 0)
            fail(QStringLiteral("close answered No does not cancel the close"));
        const QString changed = ModelChecks::firstDifference(before, ModelChecks::snapshot(f()));
        if (!changed.isEmpty())
            fail(QStringLiteral("close answered No changed ") + changed);
    }

    const FuzzLocales::Entry& locale_;
    FuzzHost host_;
    frmMain form_;
    QStringList log_;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzLocales::all();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Run run(FuzzLocales::pick(data[0]));
    Reader in(data + 1, size - 1);
    while (!in.atEnd() && run.step(in)) {
    }
    return 0;
}
