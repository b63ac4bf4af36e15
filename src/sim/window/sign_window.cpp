#include "sim/window/sign_window.h"

#include "sim/sign_picture.h"
#include "sim/sign_server.h"
#include "sim/state_dots.h"
#include "widgets/led_view.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

#include <iostream>
#include <thread>

namespace lumivo::sim {

namespace {

bool SameLines(const std::vector<StoredLine>& a, const std::vector<StoredLine>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].number != b[i].number || a[i].stored != b[i].stored) {
            return false;
        }
    }
    return true;
}

// Hands what the serving thread sees to the window, on the window's thread.
class WindowWatcher final : public SignWatcher {
public:
    explicit WindowWatcher(SignWindow& window) : m_window(&window) {}

    void serving(const std::string& where) override {
        const QString text = QString::fromStdString(where);
        QMetaObject::invokeMethod(
            m_window.data(),
            [window = m_window, text] {
                if (window) {
                    window->setWhere(text);
                }
            },
            Qt::QueuedConnection);
    }

    void exchanged(const Exchange&, const std::string& note, const SignState& state) override {
        const QString text = QString::fromStdString(note);
        QMetaObject::invokeMethod(
            m_window.data(),
            [window = m_window, text, state] {
                if (window) {
                    window->frameReceived(text, state);
                }
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<SignWindow> m_window;
};

} // namespace

SignWindow::SignWindow(SignGeometry geometry, QWidget* parent)
    : QWidget(parent), m_geometry{geometry.clampedColumns()} {
    setObjectName(QStringLiteral("SignWindow"));
    setWindowTitle(QStringLiteral("Virtual sign"));
    auto* layout = new QVBoxLayout(this);
    m_where = new QLabel(this);
    m_where->setObjectName(QStringLiteral("SignWhere"));
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_view = new ui::LedView(this);
    m_view->setObjectName(QStringLiteral("SignView"));
    m_view->setGlow(true);
    m_view->setImage(DotImage(m_geometry.columns, kSignRows));
    m_view->setMinimumHeight(kSignRows * 4);
    m_frames = new QListWidget(this);
    m_frames->setObjectName(QStringLiteral("SignFrames"));
    m_frames->setUniformItemSizes(true);
    layout->addWidget(m_where);
    layout->addWidget(m_view, 2);
    layout->addWidget(new QLabel(QStringLiteral("Frames received:"), this));
    layout->addWidget(m_frames, 1);
    resize(std::clamp(m_geometry.columns * 10, 480, 1200), 360);

    m_tick.setInterval(kFrameMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &SignWindow::tick);
    m_runClock.start();
}

void SignWindow::setWhere(const QString& where) {
    m_where->setText(where);
    setWindowTitle(QStringLiteral("Virtual sign - %1").arg(where));
}

void SignWindow::frameReceived(const QString& note, const SignState& state) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    m_frames->addItem(QStringLiteral("%1  %2").arg(stamp, note));
    while (m_frames->count() > kListedFrames) {
        delete m_frames->takeItem(0);
    }
    m_frames->scrollToBottom();
    showState(state);
}

void SignWindow::showState(const SignState& state) {
    const SignMemory memory = MemoryOfState(state);
    m_view->setBrightness(memory.brightnessPercent / 100.0);
    std::vector<StoredLine> lines = ShownLines(state);
    // Another page (or new text on it) starts its run again; anything else (a graphic, the
    // clock) is drawn into the run as it stands.
    if (!SameLines(lines, m_lines)) {
        m_runClock.restart();
        m_lines = std::move(lines);
    }
    if (m_lines.empty()) {
        m_display.reset();
    } else {
        m_display.emplace(m_lines, memory, m_geometry);
    }
    tick();
}

double SignWindow::time() const {
    return static_cast<double>(m_runClock.elapsed()) / 1000.0;
}

void SignWindow::tick() {
    m_view->setImage(m_display ? m_display->frameAt(time())
                               : DotImage(m_geometry.columns, kSignRows));
}

void SignWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_tick.start();
}

void SignWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_tick.stop();
}

int RunSignWindow(const SignOptions& options, int argc, char** argv) {
    // Without a display the window system would end the program with a message of its own.
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!display) {
        std::cerr << "lumivo-sign: --window needs a display (DISPLAY or WAYLAND_DISPLAY)\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivo-sign"));
    SignWindow window(SignGeometry{options.width});
    WindowWatcher watcher(window);
    int status = 0;
    std::thread server([&] {
        status = RunSign(options, std::cout, std::cerr, &watcher);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    window.show();
    QApplication::exec();
    RequestSignStop();
    server.join();
    return status;
}

} // namespace lumivo::sim
