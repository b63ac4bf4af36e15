// The floor for the editor's start-up time: a bare main window with a menu bar, a tool bar, a
// text editor and a status bar, nothing of the editor. It reports its first paint as the editor
// does with --quit-after-show and ends; bench/startup.sh times both side by side.

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include <chrono>
#include <cstdio>

namespace {

// Taken while the program loads, before main() runs, as the editor takes it.
const auto kProcessStart = std::chrono::steady_clock::now();

class FloorWindow final : public QMainWindow {
public:
    FloorWindow() {
        QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&New"));
        file->addAction(QStringLiteral("&Open..."));
        file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
        menuBar()->addMenu(QStringLiteral("&Edit"))->addAction(QStringLiteral("&Copy"));
        QToolBar* tools = addToolBar(QStringLiteral("Tools"));
        tools->addAction(QStringLiteral("New"));
        tools->addAction(QStringLiteral("Open"));
        setCentralWidget(new QTextEdit(this));
        statusBar()->showMessage(QStringLiteral("Ready"));
        resize(640, 400);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - kProcessStart);
            std::printf("main window shown after %lld ms\n",
                        static_cast<long long>(elapsed.count()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QMainWindow::event(event);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    FloorWindow window;
    window.show();
    return QApplication::exec();
}
