#pragma once

#include "link/frame_log.h"
#include "link/frame_log_text.h"

#include <QDockWidget>
#include <QString>

#include <memory>

class QPlainTextEdit;
class QTimer;

namespace lumivo::ui {

// The Sign Log: what every command did on the line, newest at the bottom, as the frame log's
// formatter writes it. While the dock is shown, a timer takes what the commands' threads posted
// and appends it in one go; while it is hidden nothing is formatted and the queue keeps the
// newest items up to its bound. The view keeps the last kMaxLines lines; older ones drop off.
// Read-only and selectable, with Copy, Save... and Clear.
class SignLogDock final : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;
    static constexpr int kRefreshMs = 100;

    explicit SignLogDock(std::shared_ptr<link::FrameLogQueue> queue, QWidget* parent = nullptr);
    ~SignLogDock() override;

    // Appends what was posted since the last call (the timer calls it while the dock is shown).
    void takeNew();
    // The lines the log shows.
    QString text() const;

    void copyAll();
    // Asks for a file and writes the log to it, through the atomic writer; a failure says why.
    void saveAs();
    void clear();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::shared_ptr<link::FrameLogQueue> m_queue;
    link::FrameLogFormatter m_formatter;
    QPlainTextEdit* m_text = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace lumivo::ui
