// Starting the window where there may be no display: the check before Qt's platform is loaded,
// and the real program started with none.
#include "app/DisplayCheck.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

class TestDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingDisplay_data();
    void missingDisplay();
    void programWithoutDisplaySaysSoAndEndsWithOne();
};

void TestDisplay::missingDisplay_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("waylandZero"); // a wayland-0 socket in XDG_RUNTIME_DIR
    QTest::addColumn<bool>("missing");
    const QStringList none;
    QTest::newRow("nothing at all: no display") << none << none << false << true;
    QTest::newRow("DISPLAY: X11") << none << QStringList{"DISPLAY=:0"} << false << false;
    QTest::newRow("WAYLAND_DISPLAY: Wayland")
        << none << QStringList{"WAYLAND_DISPLAY=wayland-1"} << false << false;
    QTest::newRow("an empty DISPLAY is none") << none << QStringList{"DISPLAY="} << false << true;
    QTest::newRow("wayland-0 in XDG_RUNTIME_DIR: Wayland's default display")
        << none << none << true << false;
    QTest::newRow("QT_QPA_PLATFORM=offscreen needs no display")
        << none << QStringList{"QT_QPA_PLATFORM=offscreen"} << false << false;
    QTest::newRow("QT_QPA_PLATFORM=xcb needs a display")
        << none << QStringList{"QT_QPA_PLATFORM=xcb"} << false << true;
    QTest::newRow("QT_QPA_PLATFORM=wayland;offscreen may fall back without one")
        << none << QStringList{"QT_QPA_PLATFORM=wayland;offscreen"} << false << false;
    QTest::newRow("--platform offscreen needs no display")
        << QStringList{"--platform", "offscreen"} << none << false << false;
    QTest::newRow("-platform xcb overrides QT_QPA_PLATFORM=offscreen")
        << QStringList{"-platform", "xcb"} << QStringList{"QT_QPA_PLATFORM=offscreen"} << false
        << true;
}

void TestDisplay::missingDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(bool, waylandZero);
    QFETCH(bool, missing);
    QHash<QByteArray, QByteArray> env;
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0).toUtf8(), pair.section(u'=', 1).toUtf8());
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    env.insert("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    if (waylandZero) {
        QFile socket(runtime.filePath(QStringLiteral("wayland-0")));
        QVERIFY(socket.open(QIODevice::WriteOnly));
    }
    QByteArrayList bytes{"Tarnwick"};
    for (const QString& argument : arguments)
        bytes << argument.toUtf8();
    std::vector<const char*> argv;
    for (const QByteArray& argument : bytes)
        argv.push_back(argument.constData());
    const bool has = DisplayCheck::hasDisplay(static_cast<int>(argv.size()), argv.data(),
                                              [&](const char* name) { return env.value(name); });
    QCOMPARE(has, !missing);
}

void TestDisplay::programWithoutDisplaySaysSoAndEndsWithOne()
{
    QProcess program;
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TARNWICK_PROGRAM), QStringList());
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // not Qt's abort
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
    QCOMPARE(program.readAllStandardError(),
             QByteArray("Tarnwick: cannot open the window: no display (neither DISPLAY nor "
                        "WAYLAND_DISPLAY is set)\n"));
}

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
