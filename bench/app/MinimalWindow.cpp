// The floor of the start-up benchmark: a Qt program that shows one window of the main
// window's size and ends at its first paint, the way the measured program ends there.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

namespace {

class Window final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(22, 22, 22));
        std::_Exit(0);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window;
    window.resize(1000, 700);
    window.show();
    return QApplication::exec();
}
