#include "ModalResponder.h"

#include "ui/widgets/MessageBoxHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
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

ModalResponder::ModalResponder()
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalResponder::poll);
    timer_.start();
}

QStringList ModalResponder::mismatches(const QMessageBox* box, const Message& message)
{
    QStringList out;
    auto check = [&](bool ok, const QString& what) {
        if (!ok)
            out << QStringLiteral("box \"%1\": wrong %2").arg(message.title, what);
    };
    check(box->windowTitle() == message.title, QStringLiteral("title ") + box->windowTitle());
    check(box->text() == message.text, QStringLiteral("text ") + box->text());
    check(box->icon() == MessageBoxHost::iconOf(message.icon), QStringLiteral("icon"));
    check(box->standardButtons() == MessageBoxHost::buttonsOf(message.buttons),
          QStringLiteral("buttons"));
    check(box->defaultButton() == box->button(MessageBoxHost::buttonOf(message.defaultAnswer)),
          QStringLiteral("default button"));
    check(box->isModal(), QStringLiteral("modality"));
    return out;
}

void ModalResponder::expect(const QString& what, Action action)
{
    pending_.push_back({what, std::move(action)});
}

void ModalResponder::expectMessage(const Message& message, Answer answer)
{
    expect(message.title, [message, answer](QWidget* modal, QStringList& problems) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            problems << QStringLiteral("expected message box \"%1\", got %2")
                            .arg(message.title, describe(modal));
            forceClose(modal);
            return;
        }
        problems << mismatches(box, message);
        if (answer == Answer::Closed) {
            box->close(); // as the caption's close box does
            return;
        }
        if (QAbstractButton* button = box->button(MessageBoxHost::buttonOf(answer)))
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
