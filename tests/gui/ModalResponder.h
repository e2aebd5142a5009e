#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

// A message box as the user meets it: title, text, icon, buttons and the button Enter presses.
struct ExpectedBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;

    friend bool operator==(const ExpectedBox&, const ExpectedBox&) = default;
};

// The main window's four message boxes, written out.
namespace Boxes {
ExpectedBox rangeWarning();
ExpectedBox notFoundWarning(const QString& serialText);
ExpectedBox resetQuestion();
ExpectedBox closeQuestion();
} // namespace Boxes

// Answers the real modal windows a test provokes. The test queues what it expects; while a
// modal window is up (inside its exec()), a timer hands it to the next expectation, which checks
// it and closes it. A modal window nobody expected, or one still open after it was answered, is
// closed by force and recorded as a problem, so that a test fails instead of hanging.
class ModalResponder : public QObject {
public:
    // Checks the window (appending to problems) and closes it.
    using Action = std::function<void(QWidget* modal, QStringList& problems)>;

    ModalResponder();

    void expect(const QString& what, Action action);
    // A message box with exactly these texts, icon, buttons and default button; answered by
    // clicking `answer`, or by closing the box some other way when answer is NoButton.
    void expectMessage(const ExpectedBox& expected, QMessageBox::StandardButton answer);

    // What of a message box differs from the box expected: title, text, icon, buttons, default
    // button, modality; one line each.
    static QStringList mismatches(const QMessageBox* box, const ExpectedBox& expected);

    // True when every expectation was met and nothing unexpected came up; else see report().
    bool clean() const { return pending_.empty() && problems_.isEmpty(); }
    QString report() const;
    int answered() const { return answered_; }

private:
    struct Expectation {
        QString what;
        Action action;
    };

    void poll();

    QTimer timer_;
    std::deque<Expectation> pending_;
    QStringList problems_;
    QPointer<QWidget> lastAnswered_;
    int answered_ = 0;
    int staleCount_ = 0;
    bool busy_ = false;
};

// Fails the running test unless the responder saw exactly what was expected.
#define VERIFY_RESPONDER(responder) QVERIFY2((responder).clean(), qPrintable((responder).report()))
