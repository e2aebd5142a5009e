// The window on Wayland, on weston's headless compositor, which the test starts itself: the
// window opens at its size (shrunk where the screen is too small), its title bar offers no
// maximise button, and it outlives every button of its title bar and of its boxes'. A protocol
// error would end this process, so getting to the end is itself a check.
//
// Usage: tst_wayland OUTPUT CLIENT [QtTest options]
//   OUTPUT  weston's output in the pixels the window sees, and its scale: WxH@S (1920 x 1080 at
//           200 % is 960x540@2)
//   CLIENT  the size the form must have on it: WxH
#include "ModalResponder.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"
#include "ui/widgets/TitleBar.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h> // environ

using enum Control;

Q_DECLARE_METATYPE(Answer)

namespace {

// The buttons of a window's own title bar, by name.
QStringList titleButtons(const QWidget* window)
{
    QStringList names;
    if (const auto* bar = window->findChild<TitleBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (const QToolButton* button : bar->findChildren<QToolButton*>())
            names << button->objectName();
    }
    return names;
}

const QStringList kCloseOnly{QStringLiteral("titleClose")};

// Checks that a modal window offers only Close, and closes it with that.
ModalResponder::Action closeByTitleBar(QSize client)
{
    return [client](QWidget* modal, QStringList& problems) {
        if (titleButtons(modal) != kCloseOnly)
            problems << modal->windowTitle() + QStringLiteral(" offers ") +
                            titleButtons(modal).join(u' ');
        if (client.isValid() && modal->contentsRect().size() != client)
            problems << modal->windowTitle() + QStringLiteral(": not its client size");
        if (auto* close = modal->findChild<QToolButton*>(kCloseOnly.front()))
            QTest::mouseClick(close, Qt::LeftButton);
        else
            modal->close();
    };
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT

public:
    explicit TestWayland(QSize client)
        : client_(client)
    {
    }

private:
    QSize client_;
    std::unique_ptr<frmMainWindow> window_;
    int ends_ = 0;

    void click(const QString& name)
    {
        auto* button = window_->findChild<QToolButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::qWait(300); // the compositor's answer, or its protocol error
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        QApplication::setQuitOnLastWindowClosed(false);
        window_ = std::make_unique<frmMainWindow>(NumberRules::Separators{});
        window_->setApplicationEnder([this](int) { ++ends_; });
        window_->load();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void opensAtItsSizeWithoutMaximise()
    {
        QCOMPARE(window_->clientArea(), QRect(QPoint(0, TitleBar::kHeight), client_));
        QCOMPARE(window_->minimumSize(), client_ + QSize(0, TitleBar::kHeight)); // fixed
        QCOMPARE(window_->maximumSize(), window_->minimumSize());
        QCOMPARE(window_->windowHandle()->frameMargins(), QMargins()); // no frame drawn by Qt
        QCOMPARE(titleButtons(window_.get()),
                 (QStringList{QStringLiteral("titleMinimise"), QStringLiteral("titleClose")}));
    }

    void titleBarButtonsLeaveTheWindowOpen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Answer>("answer"); // to the close question; Closed: by its title bar
        QTest::newRow("Close, the question answered No") << "titleClose" << Answer::No;
        QTest::newRow("Close, the question closed by its own title bar")
            << "titleClose" << Answer::Closed;
        QTest::newRow("Minimise") << "titleMinimise" << Answer::Closed;
        QTest::newRow("About, closed by its own title bar") << "cmdAbout" << Answer::Closed;
    }

    void titleBarButtonsLeaveTheWindowOpen()
    {
        QFETCH(QString, button);
        QFETCH(Answer, answer);
        ModalResponder responder;
        const ExpectedBox question = Boxes::closeQuestion();
        if (button == QLatin1String("cmdAbout"))
            responder.expect(QStringLiteral("About"),
                             closeByTitleBar(frmAboutDialog::clientSize()));
        else if (button == QLatin1String("titleClose") && answer == Answer::Closed)
            responder.expect(question.title, closeByTitleBar(QSize()));
        else if (button == QLatin1String("titleClose"))
            responder.expectMessage(question, QMessageBox::No);
        if (button == QLatin1String("cmdAbout"))
            QTest::mouseClick(window_->widgetOf(cmdAbout), Qt::LeftButton);
        else
            click(button);
        VERIFY_RESPONDER(responder);
        window_->showNormal();
        QTest::qWait(300);
        QCOMPARE(ends_, 0);
        QVERIFY(window_->isVisible());
    }

    void closeAnsweredYesEnds()
    {
        ModalResponder responder;
        responder.expectMessage(Boxes::closeQuestion(), QMessageBox::Yes);
        click(QStringLiteral("titleClose"));
        VERIFY_RESPONDER(responder);
        QCOMPARE(ends_, 1);
    }
};

// Starts weston's headless backend on the output `screen` (WxH@S) in `runtime`; 0 on failure.
pid_t startWeston(const char* screen, const QString& runtime, const QString& socket)
{
    int width = 0;
    int height = 0;
    int scale = 1;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (std::sscanf(screen, "%dx%d@%d", &width, &height, &scale) < 2 || program.isEmpty()) {
        std::fprintf(stderr, "FAIL: %s\n",
                     program.isEmpty() ? "weston is not installed" : "bad output");
        return 0;
    }
    const QByteArrayList args{
        program.toLocal8Bit(),
        "--backend=headless-backend.so",
        "--socket=" + socket.toLocal8Bit(),
        "--width=" + QByteArray::number(width),
        "--height=" + QByteArray::number(height),
        "--scale=" + QByteArray::number(scale),
        "--idle-time=0",
        "--no-config",
        "--log=" + QDir(runtime).filePath(QStringLiteral("weston.log")).toLocal8Bit()};
    std::vector<char*> argv;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    for (int i = 0; i < 200 && !QFileInfo::exists(QDir(runtime).filePath(socket)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return pid;
}

int main(int argc, char** argv)
{
    int width = 0;
    int height = 0;
    if (argc < 3 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: %s WxH@SCALE CLIENT_WxH [QtTest options]\n", argv[0]);
        return 2;
    }
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString socket = QStringLiteral("tarnwick-test");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const pid_t weston = startWeston(argv[1], runtime.path(), socket);
    if (!weston || !QFileInfo::exists(QDir(runtime.path()).filePath(socket))) {
        std::fprintf(stderr, "FAIL: weston did not start (%s/weston.log)\n",
                     qPrintable(runtime.path()));
        if (weston) {
            kill(weston, SIGTERM);
            waitpid(weston, nullptr, 0);
        }
        runtime.setAutoRemove(false); // for the log
        return 1;
    }
    qputenv("WAYLAND_DISPLAY", socket.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "wayland");
    qunsetenv("DISPLAY"); // no way round Wayland

    int rc = 0;
    {
        argv[2] = argv[0]; // QtTest sees the program and its own options
        int qtArgc = argc - 2;
        QApplication app(qtArgc, argv + 2);
        TestWayland test(QSize(width, height));
        rc = QTest::qExec(&test, qtArgc, argv + 2);
    }
    kill(weston, SIGTERM);
    waitpid(weston, nullptr, 0);
    return rc;
}

#include "tst_wayland.moc"
