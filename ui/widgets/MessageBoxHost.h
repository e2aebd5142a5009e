#pragma once

#include "ui/common/Message.h"

#include <QMessageBox>

class QWidget;

// Shows the logic's messages as real, application-modal message boxes.
namespace MessageBoxHost {

QMessageBox::Icon iconOf(MessageIcon icon);
QMessageBox::StandardButtons buttonsOf(MessageButtons buttons);
QMessageBox::StandardButton buttonOf(Answer answer);

// The answer the clicked button stands for; Answer::Closed when the box went away otherwise.
Answer answerOf(QMessageBox::StandardButton clicked);

// Runs the box and returns when it has been answered.
Answer ask(QWidget* parent, const Message& message);

} // namespace MessageBoxHost
