#include "MessageBoxHost.h"

#include "ui/widgets/TitleBar.h"

#include <QAbstractButton>

namespace MessageBoxHost {

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton buttonOf(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Closed:
        break;
    }
    return QMessageBox::NoButton;
}

Answer answerOf(QMessageBox::StandardButton clicked)
{
    switch (clicked) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Closed;
    }
}

Answer ask(QWidget* parent, const Message& message)
{
    QMessageBox box(iconOf(message.icon), message.title, message.text, buttonsOf(message.buttons),
                    parent);
    box.setTextFormat(Qt::PlainText);
    if (TitleBar::wanted())
        new TitleBar(&box); // Qt's would offer to maximise the box, and end the program
    const QMessageBox::StandardButton preferred = buttonOf(message.defaultAnswer);
    if (preferred != QMessageBox::NoButton && box.button(preferred))
        box.setDefaultButton(preferred);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? answerOf(box.standardButton(clicked)) : Answer::Closed;
}

} // namespace MessageBoxHost
