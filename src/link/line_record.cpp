#include "link/line_record.h"

#include "core/bytes.h"

#include <cstdio>
#include <utility>

namespace lumivo::link {

namespace {

thread_local LineObserver t_observer;

// "   12 ms  " — the time column of a described event.
std::string TimeColumn(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%6lld ms  ", static_cast<long long>(ms));
    return text;
}

} // namespace

LineRecord::LineRecord(LineObserver observer)
    : m_observer(std::move(observer)), m_start(std::chrono::steady_clock::now()) {}

std::int64_t LineRecord::now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_start)
        .count();
}

void LineRecord::add(LineEvent event) {
    event.atMs = now();
    if (m_observer) {
        m_observer(event);
    }
    if (m_events.size() == kMaxEvents) {
        m_events.pop_front();
        ++m_dropped;
    }
    m_events.push_back(std::move(event));
}

void LineRecord::wrote(std::string_view bytes) {
    if (m_writeOpen && !m_events.empty()) {
        m_events.back().bytes += bytes;
        if (m_observer) {
            LineEvent more{LineEvent::Kind::Wrote, now(), std::string(bytes), 0};
            m_observer(more);
        }
        return;
    }
    add({LineEvent::Kind::Wrote, 0, std::string(bytes), 0});
    m_writeOpen = true;
}

void LineRecord::writeFailed(std::string_view bytes) {
    if (m_writeOpen && !m_events.empty()) {
        // The frame being written when the port refused: what went out and what did not.
        m_events.back().kind = LineEvent::Kind::WriteFailed;
        m_events.back().bytes += bytes;
        if (m_observer) {
            m_observer({LineEvent::Kind::WriteFailed, now(), std::string(bytes), 0});
        }
    } else {
        add({LineEvent::Kind::WriteFailed, 0, std::string(bytes), 0});
    }
    m_writeOpen = false;
}

void LineRecord::read(std::uint8_t byte) {
    add({LineEvent::Kind::Read, 0, std::string(1, static_cast<char>(byte)), 0});
    m_writeOpen = false;
}

void LineRecord::silence(int ms) {
    add({LineEvent::Kind::Silence, 0, {}, ms});
    m_writeOpen = false;
}

void LineRecord::pause(int ms) {
    add({LineEvent::Kind::Pause, 0, {}, ms});
    m_writeOpen = false;
}

std::string LineRecord::lastWritten() const {
    for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
        if (it->kind == LineEvent::Kind::Wrote || it->kind == LineEvent::Kind::WriteFailed) {
            return it->bytes;
        }
    }
    return {};
}

std::string LineRecord::readSinceLastWrite() const {
    std::string bytes;
    for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
        if (it->kind == LineEvent::Kind::Wrote || it->kind == LineEvent::Kind::WriteFailed) {
            break;
        }
        if (it->kind == LineEvent::Kind::Read) {
            bytes.insert(bytes.begin(), it->bytes.begin(), it->bytes.end());
        }
    }
    return bytes;
}

bool LineRecord::lastWriteFailed() const {
    for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
        if (it->kind == LineEvent::Kind::Wrote) {
            return false;
        }
        if (it->kind == LineEvent::Kind::WriteFailed) {
            return true;
        }
    }
    return false;
}

RecordingPort::RecordingPort(std::unique_ptr<Port> inner, LineRecord& record)
    : m_inner(std::move(inner)), m_record(record) {}

bool RecordingPort::writeByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return writeBytes(std::string_view(&c, 1));
}

bool RecordingPort::writeBytes(std::string_view bytes) {
    if (!m_inner->writeBytes(bytes)) {
        m_record.writeFailed(bytes);
        return false;
    }
    m_record.wrote(bytes);
    return true;
}

bool RecordingPort::readByte(std::uint8_t& byte) {
    if (m_inner->readByte(byte)) {
        m_record.read(byte);
        return true;
    }
    m_record.silence(kReadTimeoutMs);
    return false;
}

bool RecordingPort::readByteWithin(std::uint8_t& byte, int ms) {
    if (m_inner->readByteWithin(byte, ms)) {
        m_record.read(byte);
        return true;
    }
    m_record.silence(ms);
    return false;
}

void RecordingPort::close() {
    m_inner->close();
}

void RecordingClock::delay(int ms) {
    m_record.pause(ms);
    m_inner.delay(ms);
}

ScopedLineObserver::ScopedLineObserver(LineObserver observer)
    : m_previous(std::exchange(t_observer, std::move(observer))) {}

ScopedLineObserver::~ScopedLineObserver() {
    t_observer = std::move(m_previous);
}

const LineObserver& CurrentLineObserver() {
    return t_observer;
}

std::string HexBytes(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += Hex2(static_cast<std::uint8_t>(c));
    }
    return text;
}

std::string FrameText(std::string_view frame, std::size_t limit) {
    const std::string text = PrintableText(frame);
    if (text.size() <= limit || limit < 12) {
        return text;
    }
    const std::size_t tail = limit / 3;
    return text.substr(0, limit - tail - 5) + " ... " + text.substr(text.size() - tail);
}

std::string DescribeEvent(const LineEvent& event) {
    std::string line = TimeColumn(event.atMs);
    switch (event.kind) {
    case LineEvent::Kind::Wrote:
        return line + "wrote " + FrameText(event.bytes) + " (" +
               std::to_string(event.bytes.size()) + " bytes)";
    case LineEvent::Kind::WriteFailed:
        return line + "write failed: " + FrameText(event.bytes);
    case LineEvent::Kind::Read:
        return line + "read " + HexBytes(event.bytes);
    case LineEvent::Kind::Silence:
        return line + "nothing came in " + std::to_string(event.ms) + " ms";
    case LineEvent::Kind::Pause:
        return line + "pause " + std::to_string(event.ms) + " ms";
    }
    return line;
}

std::string DescribeRecord(const LineRecord& record) {
    std::string text;
    if (record.dropped() > 0) {
        text += "(" + std::to_string(record.dropped()) + " earlier events not kept)\n";
    }
    const auto& events = record.events();
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != LineEvent::Kind::Read) {
            text += DescribeEvent(events[i]) + "\n";
            continue;
        }
        // Bytes that came one after another make one line: the reply as it arrived.
        std::string bytes;
        const std::int64_t at = events[i].atMs;
        for (; i < events.size() && events[i].kind == LineEvent::Kind::Read; ++i) {
            bytes += events[i].bytes;
        }
        --i;
        text += TimeColumn(at) + "read " + HexBytes(bytes) + " \"" + PrintableText(bytes) + "\"\n";
    }
    return text;
}

} // namespace lumivo::link
