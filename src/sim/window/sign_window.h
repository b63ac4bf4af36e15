#pragma once

#include "core/led_render.h"
#include "sim/sign_options.h"
#include "sim/sign_state.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QListWidget;

namespace lumivo::ui {
class LedView;
}

namespace lumivo::sim {

// The virtual sign as a window: what a real sign would show now (the shown page running, its
// brightness as dimmer dots) and, below it, the last frames received, one line each.
class SignWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 40;       // 25 frames a second
    static constexpr int kListedFrames = 200; // older lines leave the list

    explicit SignWindow(SignGeometry geometry, QWidget* parent = nullptr);

    // Where clients connect, for the title and the top line.
    void setWhere(const QString& where);
    // A frame arrived: its one-line note, and the sign's state once it was applied.
    void frameReceived(const QString& note, const SignState& state);

    ui::LedView* view() const { return m_view; }
    QListWidget* frames() const { return m_frames; }
    // Seconds into the run of the shown page.
    double time() const;
    // The display now running, if a page is stored.
    const SignDisplay* display() const { return m_display ? &*m_display : nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showState(const SignState& state);
    void tick();

    SignGeometry m_geometry;
    QLabel* m_where = nullptr;
    ui::LedView* m_view = nullptr;
    QListWidget* m_frames = nullptr;
    QTimer m_tick;
    QElapsedTimer m_runClock;
    std::vector<StoredLine> m_lines;
    std::optional<SignDisplay> m_display;
};

// The whole program with a window: the sign serves on a thread of its own while the window runs;
// closing the window stops the sign, and a sign that stops (hang-up, signal) closes the window.
int RunSignWindow(const SignOptions& options, int argc, char** argv);

} // namespace lumivo::sim
