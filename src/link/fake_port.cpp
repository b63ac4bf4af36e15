#include "link/fake_port.h"

#include <deque>
#include <limits>
#include <mutex>

namespace lumivo::link {

namespace {

constexpr std::string_view kFrameEnd = "<E>";
constexpr std::size_t kAddressLength = 6; // "<ID" + two digits + ">"

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The fixed length of a frame whose payload holds raw bytes, or 0 for a text frame.
std::size_t FixedFrameLength(const std::string& bytes) {
    if (bytes.size() < kAddressLength + 2 || bytes.compare(0, 3, "<ID") != 0) {
        return 0;
    }
    const std::string_view payloadStart = std::string_view(bytes).substr(kAddressLength, 2);
    if (payloadStart == "<G") {
        return FrameAssembler::kBlockFrameLength;
    }
    if (payloadStart == "<F") {
        return FrameAssembler::kFontCharFrameLength;
    }
    return 0;
}

} // namespace

bool FrameAssembler::push(char byte) {
    m_frame.clear();
    m_current += byte;
    if (!EndsWith(m_current, kFrameEnd) || m_current.size() < FixedFrameLength(m_current)) {
        return false;
    }
    m_frame = std::move(m_current);
    m_current.clear();
    return true;
}

struct FakeLine::State {
    mutable std::mutex mutex;

    // script
    std::string defaultReply = "ACK";
    std::deque<std::string> queued;
    FrameResponder responder;
    std::size_t writeLimit = std::numeric_limits<std::size_t>::max();
    bool openFails = false;

    // line
    bool open = false;
    int opens = 0;
    int closes = 0;
    std::string unread;
    FrameAssembler assembler;

    // record
    std::string written;
    std::vector<std::string> frames;
    std::vector<std::string> events;
    bool writeEventOpen = false; // the last event is a write still taking bytes
    bool readEventOpen = false;  // the last event is a read still taking bytes
    std::vector<int> pauses;

    void log(std::string event) {
        events.push_back(std::move(event));
        writeEventOpen = false;
        readEventOpen = false;
    }

    // The answer to a frame: computed outside the lock, since the responder is test code.
    std::string answer(std::unique_lock<std::mutex>& lock, const std::string& frame) {
        if (responder) {
            FrameResponder respond = responder;
            lock.unlock();
            std::string reply = respond(frame);
            lock.lock();
            return reply;
        }
        if (!queued.empty()) {
            std::string reply = std::move(queued.front());
            queued.pop_front();
            return reply;
        }
        return defaultReply;
    }
};

namespace {

class FakePort final : public Port {
public:
    explicit FakePort(std::shared_ptr<FakeLine::State> state) : m_state(std::move(state)) {}
    ~FakePort() override { close(); }

    bool writeByte(std::uint8_t byte) override {
        std::unique_lock lock(m_state->mutex);
        FakeLine::State& s = *m_state;
        if (m_closed || s.written.size() >= s.writeLimit) {
            s.log("write failed");
            return false;
        }
        const char c = static_cast<char>(byte);
        s.written += c;
        if (s.writeEventOpen) {
            s.events.back() += c;
        } else {
            s.log(std::string("write ") + c);
            s.writeEventOpen = true;
        }
        if (s.assembler.push(c)) {
            const std::string frame = s.assembler.frame();
            s.frames.push_back(frame);
            s.writeEventOpen = false;
            const std::string reply = s.answer(lock, frame);
            if (!m_closed) {
                s.unread += reply;
            }
        }
        return true;
    }

    bool readByte(std::uint8_t& byte) override {
        std::lock_guard lock(m_state->mutex);
        FakeLine::State& s = *m_state;
        if (m_closed || s.unread.empty()) {
            s.log("timeout");
            return false;
        }
        const char c = s.unread.front();
        s.unread.erase(0, 1);
        if (s.readEventOpen) {
            s.events.back() += c;
        } else {
            s.log(std::string("read ") + c);
            s.readEventOpen = true;
        }
        byte = static_cast<std::uint8_t>(c);
        return true;
    }

    void close() override {
        std::lock_guard lock(m_state->mutex);
        if (m_closed) {
            return;
        }
        m_closed = true;
        FakeLine::State& s = *m_state;
        s.open = false;
        ++s.closes;
        s.unread.clear();
        s.assembler = FrameAssembler{};
        s.log("close");
    }

private:
    std::shared_ptr<FakeLine::State> m_state;
    bool m_closed = false;
};

class LoggingClock final : public Clock {
public:
    explicit LoggingClock(std::shared_ptr<FakeLine::State> state) : m_state(std::move(state)) {}
    void delay(int ms) override {
        std::lock_guard lock(m_state->mutex);
        m_state->pauses.push_back(ms);
        m_state->log("pause " + std::to_string(ms));
    }

private:
    std::shared_ptr<FakeLine::State> m_state;
};

} // namespace

FakeLine::FakeLine()
    : m_state(std::make_shared<State>()), m_clock(std::make_unique<LoggingClock>(m_state)) {}

FakeLine::~FakeLine() = default;

void FakeLine::setDefaultReply(std::string reply) {
    std::lock_guard lock(m_state->mutex);
    m_state->defaultReply = std::move(reply);
}

void FakeLine::queueReply(std::string reply) {
    std::lock_guard lock(m_state->mutex);
    m_state->queued.push_back(std::move(reply));
}

void FakeLine::queueReplies(std::initializer_list<std::string> replies) {
    for (const std::string& reply : replies) {
        queueReply(reply);
    }
}

void FakeLine::setResponder(FrameResponder responder) {
    std::lock_guard lock(m_state->mutex);
    m_state->responder = std::move(responder);
}

void FakeLine::failWritesAfter(std::size_t acceptedBytes) {
    std::lock_guard lock(m_state->mutex);
    m_state->writeLimit = acceptedBytes;
}

void FakeLine::setOpenFails(bool fails) {
    std::lock_guard lock(m_state->mutex);
    m_state->openFails = fails;
}

PortOpener FakeLine::opener() {
    return [state = m_state]() -> std::unique_ptr<Port> {
        std::lock_guard lock(state->mutex);
        if (state->openFails || state->open) {
            state->log("open failed");
            return nullptr;
        }
        state->open = true;
        ++state->opens;
        state->log("open");
        return std::make_unique<FakePort>(state);
    };
}

Clock& FakeLine::clock() {
    return *m_clock;
}

std::string FakeLine::written() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->written;
}

std::vector<std::string> FakeLine::frames() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->frames;
}

std::vector<std::string> FakeLine::events() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->events;
}

std::vector<int> FakeLine::pauses() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->pauses;
}

int FakeLine::openCount() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->opens;
}

int FakeLine::closeCount() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->closes;
}

bool FakeLine::isOpen() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->open;
}

std::string FakeLine::unread() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->unread;
}

} // namespace lumivo::link
