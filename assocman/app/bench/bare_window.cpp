// The yardstick for start-up: a bare Qt Widgets window, started the same way
// as the program (same Qt, same platform plugin), with nothing else to do.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(400, 300);
    window.show();
    return app.exec();
}
