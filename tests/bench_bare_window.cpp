// The yardstick of the window's start-up memory: a bare Qt window of the main window's client size
// with one line edit, nothing else. tools/bench-startup.sh runs it beside Tarnwick.
//
// Usage: tarnwick-bare-window WIDTH HEIGHT
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QWidget window;
    QLineEdit field(&window);
    if (args.size() > 2)
        window.setFixedSize(args.at(1).toInt(), args.at(2).toInt());
    window.show();
    return QApplication::exec();
}
