#pragma once

#include "link/outcome.h"
#include "link/runners.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <string>

namespace lumivo::link {

// Runs one command on a worker thread and reports its progress and outcome, as signals, on the
// thread that owns this object. A window starts its runner here, disables its button, and shows
// the outcome box when `finished` arrives: the window never waits.
class CommandThread final : public QObject {
    Q_OBJECT
public:
    using Command = std::function<Outcome(const Progress& progress)>;

    explicit CommandThread(QObject* parent = nullptr);
    // Waits for a running command to end, so its port is always closed.
    ~CommandThread() override;

    bool isRunning() const { return m_thread != nullptr; }

    // Starts the command; false (and nothing started) while another command runs. `logName`
    // names it in the frame log ("Send Message"), which hears its frames and its outcome.
    bool start(Command command, std::string logName = "Command");

    // Blocks until the running command has ended (tests and shutdown only).
    void wait();

Q_SIGNALS:
    void progressed(int value, int maximum);
    void finished(lumivo::link::Outcome outcome);

private:
    QThread* m_thread = nullptr;
};

} // namespace lumivo::link
