// The baseline of the start-up benchmark: a bare Qt window, shown and ended
// the same way the program is when its start-up is measured.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(1000, 700);
    w.show();
    QTimer::singleShot(0, [] { std::_Exit(0); });
    return app.exec();
}
