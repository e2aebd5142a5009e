// The window on Wayland, on weston's headless compositor, which the test starts itself: the
// window opens at its size (scaled down where the screen is too small), with a title bar that
// offers no maximise button, and outlives every button of its own title bar and of its message
// boxes'. A protocol error would end this process, so getting to the end is itself a check.
//
// Usage: tst_wayland --output WIDTHxHEIGHT[@SCALE] --client WIDTHxHEIGHT [QtTest options]
//   --output   weston's output, in the pixels the window sees, and its scale: 1920 x 1080 at
//              200 % is 960x540@2
//   --client   the size the form must have on it
#include "ModalResponder.h"
#include "ui/about/view/frmAboutDialog.h"
#include "ui/main/view/frmMainWindow.h"
#include "ui/widgets/TitleBar.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

using enum Control;

Q_DECLARE_METATYPE(Answer)

namespace {

QStringList buttonsOf(const QWidget* window)
{
    QStringList names;
    if (const auto* bar = window->findChild<TitleBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (const QToolButton* button : bar->findChildren<QToolButton*>())
            names << button->objectName();
    }
    return names;
}

// Clicks the close button of the modal window's own title bar, as a user would.
void closeByTitleBar(QWidget* modal, QStringList& problems)
{
    const auto* bar = modal->findChild<TitleBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar) {
        problems << modal->windowTitle() + QStringLiteral(": no title bar of its own");
        modal->close();
        return;
    }
    QTest::mouseClick(bar->closeButton(), Qt::LeftButton);
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

    // Waits long enough for the compositor to answer what the window asked of it.
    static void settle() { QTest::qWait(300); }

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
        QCOMPARE(window_->clientArea().size(), client_);
        QCOMPARE(window_->clientArea().top(), TitleBar::kHeight);
        QCOMPARE(window_->size(), client_ + QSize(0, TitleBar::kHeight));
        QCOMPARE(window_->minimumSize(), window_->maximumSize()); // fixed
        // Qt draws no frame of its own: the window's title bar is the only one.
        QCOMPARE(window_->windowHandle()->frameMargins(), QMargins());
        QCOMPARE(buttonsOf(window_.get()),
                 (QStringList{QStringLiteral("titleMinimise"), QStringLiteral("titleClose")}));
    }

    void titleBarButtonsAskOrLeaveTheWindowBe_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Answer>("answer"); // to the close question; Closed: its title bar
        QTest::newRow("close, the question answered No: the window stays")
            << "titleClose" << Answer::No;
        QTest::newRow("close, the question closed by its own title bar: the window stays")
            << "titleClose" << Answer::Closed;
        QTest::newRow("minimise: the window stays") << "titleMinimise" << Answer::Closed;
    }

    void titleBarButtonsAskOrLeaveTheWindowBe()
    {
        QFETCH(QString, button);
        QFETCH(Answer, answer);
        ModalResponder responder;
        if (button == QLatin1String("titleClose")) {
            const Message question = window_->form().closeQuestion();
            if (answer == Answer::Closed) {
                responder.expect(question.title, [](QWidget* box, QStringList& problems) {
                    if (buttonsOf(box) != QStringList{QStringLiteral("titleClose")})
                        problems << QStringLiteral("the box offers ") + buttonsOf(box).join(u' ');
                    closeByTitleBar(box, problems);
                });
            } else {
                responder.expectMessage(question, answer);
            }
        }
        auto* target = window_->findChild<QToolButton*>(button);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton);
        settle();
        VERIFY_RESPONDER(responder);
        QCOMPARE(ends_, 0);
        if (button == QLatin1String("titleMinimise"))
            window_->showNormal();
        settle();
        QVERIFY(window_->isVisible());
    }

    void aboutOffersOnlyClose()
    {
        ModalResponder responder;
        responder.expect(QStringLiteral("About"), [](QWidget* about, QStringList& problems) {
            if (!qobject_cast<frmAboutDialog*>(about))
                problems << QStringLiteral("not the About window: ") + about->windowTitle();
            if (buttonsOf(about) != QStringList{QStringLiteral("titleClose")})
                problems << QStringLiteral("About offers ") + buttonsOf(about).join(u' ');
            if (about->contentsRect().size() != frmAboutDialog::clientSize())
                problems << QStringLiteral("About's client area is not 474 x 274");
            closeByTitleBar(about, problems);
        });
        QTest::mouseClick(window_->widgetOf(cmdAbout), Qt::LeftButton);
        settle();
        VERIFY_RESPONDER(responder);
        QVERIFY(window_->isVisible());
    }

    void closeAnsweredYesEnds()
    {
        ModalResponder responder;
        responder.expectMessage(window_->form().closeQuestion(), Answer::Yes);
        QTest::mouseClick(window_->findChild<QToolButton*>(QStringLiteral("titleClose")),
                          Qt::LeftButton);
        VERIFY_RESPONDER(responder);
        QCOMPARE(ends_, 1);
    }
};

namespace {

struct Options {
    QString width, height, scale = QStringLiteral("1");
    QSize client;
    std::vector<char*> qtArguments;
};

bool parse(int argc, char** argv, Options& options)
{
    static const QRegularExpression output(QStringLiteral("^(\\d+)x(\\d+)(?:@(\\d+))?$"));
    static const QRegularExpression size(QStringLiteral("^(\\d+)x(\\d+)$"));
    options.qtArguments.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QString value = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (arg == QLatin1String("--output")) {
            const auto m = output.match(value);
            if (!m.hasMatch())
                return false;
            options.width = m.captured(1);
            options.height = m.captured(2);
            if (m.hasCaptured(3))
                options.scale = m.captured(3);
            ++i;
        } else if (arg == QLatin1String("--client")) {
            const auto m = size.match(value);
            if (!m.hasMatch())
                return false;
            options.client = QSize(m.captured(1).toInt(), m.captured(2).toInt());
            ++i;
        } else {
            options.qtArguments.push_back(argv[i]);
        }
    }
    return !options.width.isEmpty() && options.client.isValid();
}

// weston on its headless backend, in a runtime folder of its own; stopped when this goes.
class Weston {
public:
    bool start(const Options& options, const QString& runtime)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (program.isEmpty()) {
            std::fprintf(stderr, "FAIL: weston is not installed (tools/install-deps.sh)\n");
            return false;
        }
        socket_ = QStringLiteral("tarnwick-test");
        const QByteArrayList args = {
            program.toLocal8Bit(),
            "--backend=headless-backend.so",
            "--socket=" + socket_.toLocal8Bit(),
            "--width=" + options.width.toLocal8Bit(),
            "--height=" + options.height.toLocal8Bit(),
            "--scale=" + options.scale.toLocal8Bit(),
            "--idle-time=0",
            "--no-config",
            "--log=" + QDir(runtime).filePath(QStringLiteral("weston.log")).toLocal8Bit()};
        std::vector<char*> argv;
        for (const QByteArray& a : args)
            argv.push_back(const_cast<char*>(a.constData()));
        argv.push_back(nullptr);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            std::fprintf(stderr, "FAIL: weston did not start\n");
            pid_ = 0;
            return false;
        }
        const QString path = QDir(runtime).filePath(socket_);
        for (int waited = 0; waited < 200 && !QFileInfo::exists(path); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "FAIL: weston made no socket in 10 s (%s)\n",
                         qPrintable(QDir(runtime).filePath(QStringLiteral("weston.log"))));
            return false;
        }
        return true;
    }

    const QString& socket() const { return socket_; }

    ~Weston()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = 0;
    QString socket_;
};

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s --output WxH[@SCALE] --client WxH [QtTest options]\n",
                     argv[0]);
        return 2;
    }
    QTemporaryDir runtime;
    if (!runtime.isValid() ||
        !QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner))
        return 1;
    Weston weston;
    if (!weston.start(options, runtime.path()))
        return 1;
    qputenv("WAYLAND_DISPLAY", weston.socket().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "wayland");
    qunsetenv("DISPLAY"); // no way round Wayland
    qunsetenv("QT_WAYLAND_DISABLE_WINDOWDECORATION");

    int qtArgc = static_cast<int>(options.qtArguments.size());
    QApplication app(qtArgc, options.qtArguments.data());
    TestWayland test(options.client);
    return QTest::qExec(&test, qtArgc, options.qtArguments.data());
}

#include "tst_wayland.moc"
