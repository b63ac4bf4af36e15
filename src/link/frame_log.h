#pragma once

// The editor's frame log, on the side of the threads that run commands: each command posts its
// heading, its port, what happened on the line and its outcome to one bounded queue, which the
// log's view takes from on its own thread. Posting is cheap (no formatting), so a transfer never
// waits for the view.

#include "link/line_record.h"
#include "link/outcome.h"
#include "link/port.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace lumivo::link {

// One thing a command tells the frame log.
struct FrameLogItem {
    enum class Kind {
        Began, // a command began: `text` names it, `wallMs` is when (ms since 1970, UTC)
        Port,  // its port `text` led to `device`; `reason` says why it did not open (empty: open)
        Line,  // `event` happened on the line, `event.atMs` since the command began
        Ended, // the command ended with `outcome`
    };
    Kind kind = Kind::Line;
    std::uint64_t command = 0; // which command: commands on different lines interleave
    std::int64_t wallMs = 0;
    std::string text;
    std::string device;
    std::string reason;
    LineEvent event;
    Outcome outcome;
};

// The items between the commands' threads and the view, oldest first. Bounded both in items and in
// bytes: when either bound is reached the oldest items go and are counted as dropped.
class FrameLogQueue {
public:
    static constexpr std::size_t kMaxItems = 20000;
    static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;

    explicit FrameLogQueue(std::size_t maxItems = kMaxItems, std::size_t maxBytes = kMaxBytes);

    // Any thread.
    void post(FrameLogItem item);
    // Everything posted since the last take; `dropped` (when given) gets how many items went
    // since then because the queue was full.
    std::vector<FrameLogItem> take(std::size_t* dropped = nullptr);

private:
    std::mutex m_mutex;
    std::deque<FrameLogItem> m_items;
    std::size_t m_maxItems;
    std::size_t m_maxBytes;
    std::size_t m_bytes = 0;
    std::size_t m_dropped = 0;
};

// The queue the commands of this program report to; none (the default) for programs that keep
// no frame log, the command line and lumivod. Any thread.
void SetFrameLogQueue(std::shared_ptr<FrameLogQueue> queue);
std::shared_ptr<FrameLogQueue> FrameLogQueueInUse();

// One command in the frame log, living on the command's thread for the whole command: posts its
// heading, makes every port the command opens on this thread report its frames, replies and
// pauses, and posts the outcome. Does nothing when no queue is in use. A frame written byte by
// byte is posted once, whole, when the next thing happens on the line.
class LoggedCommand {
public:
    explicit LoggedCommand(std::string name);
    // Posts "ended without an outcome" when ended() was not called (the command threw).
    ~LoggedCommand();
    LoggedCommand(const LoggedCommand&) = delete;
    LoggedCommand& operator=(const LoggedCommand&) = delete;

    // The port the command opened and its device, or why it did not open.
    void port(std::string name, std::string device, std::string reason);
    void ended(const Outcome& outcome);

    // The command logged on this thread, null when none is.
    static LoggedCommand* current();

private:
    void observe(const LineEvent& event);
    void postWrite();
    void post(FrameLogItem item);
    std::int64_t sinceStart() const;

    std::shared_ptr<FrameLogQueue> m_queue;
    std::uint64_t m_id = 0;
    std::chrono::steady_clock::time_point m_start;
    std::optional<FrameLogItem> m_write; // the frame being written
    std::optional<ScopedLineObserver> m_observer;
    LoggedCommand* m_outer = nullptr;
    bool m_ended = false;
};

// `open`, telling the command logged on its thread which port it opened ("COM1") and the device
// that port led to, or why it did not open. The notes the command reads after opening stay.
PortOpener LoggedOpener(PortOpener open, std::string portName);

} // namespace lumivo::link
