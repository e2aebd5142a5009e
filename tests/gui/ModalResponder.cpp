#include "ModalResponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMetaEnum>
#include <QPushButton>
#include <QScopedValueRollback>

#include <utility>

namespace {

void forceClose(QWidget* modal)
{
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->done(QDialog::Rejected);
    else
        modal->close();
}

QString describe(QWidget* modal)
{
    QString text = QString::fromLatin1(modal->metaObject()->className()) + QStringLiteral(" \"") +
                   modal->windowTitle() + u'"';
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        text += QStringLiteral(": ") + box->text();
    return text;
}

} // namespace

namespace Boxes {

ExpectedBox rangeWarning()
{
    return {QStringLiteral("Invalid Serial Number"),
            QStringLiteral("Please enter a serial number between 1 and 15076231"),
            QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok};
}

ExpectedBox notFoundWarning(const QString& serialText)
{
    return {QStringLiteral("Serial Number Not Found"),
            QStringLiteral("No production month is recorded for serial number ") + serialText +
                u'.',
            QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok};
}

ExpectedBox resetQuestion()
{
    return {QStringLiteral("Reset Calculator"),
            QStringLiteral(
                "Are you sure you want to reset the calculator? This action cannot be undone."),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
}

ExpectedBox closeQuestion()
{
    return {QStringLiteral("Close Calculator"),
            QStringLiteral("Are you sure you want to close Quorvin Halvex Build Date Calculator?"),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
}

} // namespace Boxes

ModalResponder::ModalResponder()
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalResponder::poll);
    timer_.start();
}

QStringList ModalResponder::mismatches(const QMessageBox* box, const ExpectedBox& expected)
{
    QStringList out;
    auto check = [&](bool ok, const QString& what) {
        if (!ok)
            out << QStringLiteral("box \"%1\": wrong %2").arg(expected.title, what);
    };
    check(box->windowTitle() == expected.title, QStringLiteral("title ") + box->windowTitle());
    check(box->text() == expected.text, QStringLiteral("text ") + box->text());
    check(box->icon() == expected.icon,
          QStringLiteral("icon ") +
              QLatin1String(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())));
    check(box->standardButtons() == expected.buttons,
          QStringLiteral("buttons ") +
              QLatin1String(QMetaEnum::fromType<QMessageBox::StandardButtons>().valueToKeys(
                  int(box->standardButtons()))));
    check(box->defaultButton() && box->defaultButton() == box->button(expected.defaultButton),
          QStringLiteral("default button"));
    check(box->isModal(), QStringLiteral("modality"));
    return out;
}

void ModalResponder::expect(const QString& what, Action action)
{
    pending_.push_back({what, std::move(action)});
}

void ModalResponder::expectMessage(const ExpectedBox& expected, QMessageBox::StandardButton answer)
{
    expect(expected.title, [expected, answer](QWidget* modal, QStringList& problems) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            problems << QStringLiteral("expected message box \"%1\", got %2")
                            .arg(expected.title, describe(modal));
            forceClose(modal);
            return;
        }
        problems << mismatches(box, expected);
        if (answer == QMessageBox::NoButton) {
            box->close(); // as the caption's close box does
            return;
        }
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            forceClose(box);
    });
}

void ModalResponder::poll()
{
    if (busy_)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    QScopedValueRollback guard(busy_, true);
    if (modal == lastAnswered_) {
        // Give it a moment to go; then it has stayed open after its answer.
        if (++staleCount_ < 20)
            return;
        problems_ << QStringLiteral("still open after it was answered: ") + describe(modal);
        forceClose(modal);
        return;
    }
    staleCount_ = 0;
    lastAnswered_ = modal;
    if (pending_.empty()) {
        problems_ << QStringLiteral("unexpected ") + describe(modal);
        forceClose(modal);
        return;
    }
    Expectation next = std::move(pending_.front());
    pending_.pop_front();
    ++answered_;
    next.action(modal, problems_);
}

QString ModalResponder::report() const
{
    QStringList lines = problems_;
    for (const Expectation& e : pending_)
        lines << QStringLiteral("never shown: ") + e.what;
    return lines.join(QStringLiteral("; "));
}
