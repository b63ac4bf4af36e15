#include "link/frame_log.h"

#include <atomic>
#include <utility>

namespace lumivo::link {

namespace {

std::mutex g_queueMutex;
std::shared_ptr<FrameLogQueue> g_queue;
std::atomic<std::uint64_t> g_nextCommand{1};
thread_local LoggedCommand* t_current = nullptr;

// What an item holds, for the queue's byte bound.
std::size_t Weight(const FrameLogItem& item) {
    return sizeof(FrameLogItem) + item.text.size() + item.device.size() + item.reason.size() +
           item.event.bytes.size() + item.outcome.text.size() + item.outcome.details.size();
}

} // namespace

FrameLogQueue::FrameLogQueue(std::size_t maxItems, std::size_t maxBytes)
    : m_maxItems(maxItems), m_maxBytes(maxBytes) {}

void FrameLogQueue::post(FrameLogItem item) {
    const std::size_t weight = Weight(item);
    std::lock_guard lock(m_mutex);
    while (!m_items.empty() && (m_items.size() >= m_maxItems || m_bytes + weight > m_maxBytes)) {
        m_bytes -= Weight(m_items.front());
        m_items.pop_front();
        ++m_dropped;
    }
    m_bytes += weight;
    m_items.push_back(std::move(item));
}

std::vector<FrameLogItem> FrameLogQueue::take(std::size_t* dropped) {
    std::deque<FrameLogItem> items;
    {
        std::lock_guard lock(m_mutex);
        items.swap(m_items);
        m_bytes = 0;
        if (dropped != nullptr) {
            *dropped = m_dropped;
        }
        m_dropped = 0;
    }
    return {std::make_move_iterator(items.begin()), std::make_move_iterator(items.end())};
}

void SetFrameLogQueue(std::shared_ptr<FrameLogQueue> queue) {
    std::lock_guard lock(g_queueMutex);
    g_queue = std::move(queue);
}

std::shared_ptr<FrameLogQueue> FrameLogQueueInUse() {
    std::lock_guard lock(g_queueMutex);
    return g_queue;
}

LoggedCommand::LoggedCommand(std::string name)
    : m_queue(FrameLogQueueInUse()), m_start(std::chrono::steady_clock::now()) {
    if (m_queue == nullptr) {
        return;
    }
    m_id = g_nextCommand.fetch_add(1);
    m_outer = std::exchange(t_current, this);
    FrameLogItem began;
    began.kind = FrameLogItem::Kind::Began;
    began.text = std::move(name);
    began.wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    post(std::move(began));
    m_observer.emplace([this](const LineEvent& event) { observe(event); });
}

LoggedCommand::~LoggedCommand() {
    if (m_queue == nullptr) {
        return;
    }
    if (!m_ended) {
        ended(Outcome(BoxKind::None, {}, false, "the command stopped without an outcome"));
    }
    m_observer.reset();
    t_current = m_outer;
}

LoggedCommand* LoggedCommand::current() {
    return t_current;
}

std::int64_t LoggedCommand::sinceStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_start)
        .count();
}

void LoggedCommand::post(FrameLogItem item) {
    item.command = m_id;
    m_queue->post(std::move(item));
}

void LoggedCommand::postWrite() {
    if (m_write) {
        post(std::move(*m_write));
        m_write.reset();
    }
}

void LoggedCommand::observe(const LineEvent& event) {
    if (event.kind == LineEvent::Kind::Wrote) {
        if (!m_write) {
            m_write.emplace();
            m_write->event = {LineEvent::Kind::Wrote, sinceStart(), {}, 0};
        }
        m_write->event.bytes += event.bytes;
        return;
    }
    if (event.kind == LineEvent::Kind::WriteFailed && m_write) {
        // The frame under way when the port refused: what went out and what did not.
        m_write->event.kind = LineEvent::Kind::WriteFailed;
        m_write->event.bytes += event.bytes;
        postWrite();
        return;
    }
    postWrite();
    FrameLogItem item;
    item.event = event;
    item.event.atMs = sinceStart();
    post(std::move(item));
}

void LoggedCommand::port(std::string name, std::string device, std::string reason) {
    if (m_queue == nullptr) {
        return;
    }
    postWrite();
    FrameLogItem item;
    item.kind = FrameLogItem::Kind::Port;
    item.text = std::move(name);
    item.device = std::move(device);
    item.reason = std::move(reason);
    item.event.atMs = sinceStart();
    post(std::move(item));
}

void LoggedCommand::ended(const Outcome& outcome) {
    if (m_queue == nullptr || m_ended) {
        return;
    }
    m_ended = true;
    postWrite();
    FrameLogItem item;
    item.kind = FrameLogItem::Kind::Ended;
    item.outcome = outcome;
    item.event.atMs = sinceStart();
    post(std::move(item));
}

PortOpener LoggedOpener(PortOpener open, std::string portName) {
    return [open = std::move(open), portName = std::move(portName)]() -> std::unique_ptr<Port> {
        std::unique_ptr<Port> port = open ? open() : nullptr;
        LoggedCommand* command = LoggedCommand::current();
        if (command == nullptr) {
            return port;
        }
        // The notes are read and put back, for the command reads them after the opener.
        if (port != nullptr) {
            std::string device = TakeOpenedDevice();
            NoteOpenedDevice(device);
            command->port(portName, std::move(device), {});
        } else {
            OpenFailureNote note = TakeOpenFailure();
            NoteOpenFailure(note.device, note.reason);
            command->port(portName, std::move(note.device),
                          note.reason.empty() ? std::string("it did not open") : note.reason);
        }
        return port;
    };
}

} // namespace lumivo::link
