// The floor of the start-up and idle benchmarks: a Qt program that shows one window of the
// main window's size. It ends at its first paint, the way the measured program ends there,
// unless started with --stay: then it sits idle until it is ended.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdlib>
#include <string_view>

namespace {

class Window final : public QWidget {
public:
    explicit Window(bool stay) : m_stay(stay) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(22, 22, 22));
        if (!m_stay) {
            std::_Exit(0);
        }
    }

private:
    bool m_stay;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool stay = argc > 1 && std::string_view(argv[1]) == "--stay";
    Window window(stay);
    window.resize(1000, 700);
    window.show();
    return QApplication::exec();
}
