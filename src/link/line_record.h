#pragma once

#include "link/clock.h"
#include "link/port.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace lumivo::link {

// One thing that happened on the line during a command.
struct LineEvent {
    enum class Kind {
        Wrote,       // bytes written; consecutive writes make one event (one frame)
        WriteFailed, // a write the port refused: the device is gone or the connection dropped
        Read,        // one byte that came back
        Silence,     // a read that waited `ms` and got nothing
        Pause,       // a pause of `ms` the command took between frames
    };
    Kind kind = Kind::Wrote;
    std::int64_t atMs = 0; // since the record began
    std::string bytes;     // Wrote, WriteFailed: the bytes; Read: the one byte
    int ms = 0;            // Silence, Pause
};

// Hears every event as it is recorded, on the command's thread: a frame-log view queues it.
using LineObserver = std::function<void(const LineEvent&)>;

// What happened on the line of one command, oldest first, bounded: the oldest events go first
// when it is full. Lives on the command's thread.
class LineRecord {
public:
    static constexpr std::size_t kMaxEvents = 4096;

    explicit LineRecord(LineObserver observer = {});

    void wrote(std::string_view bytes);
    void writeFailed(std::string_view bytes);
    void read(std::uint8_t byte);
    void silence(int ms);
    void pause(int ms);

    const std::deque<LineEvent>& events() const { return m_events; }
    std::size_t dropped() const { return m_dropped; }

    // The last frame written (empty when nothing was), and the bytes read after it.
    std::string lastWritten() const;
    std::string readSinceLastWrite() const;
    // True when the last write was refused by the port.
    bool lastWriteFailed() const;

private:
    void add(LineEvent event);
    std::int64_t now() const;

    LineObserver m_observer;
    std::chrono::steady_clock::time_point m_start;
    std::deque<LineEvent> m_events;
    std::size_t m_dropped = 0;
    bool m_writeOpen = false; // the last event is a write that later writes extend
};

// A port that records what passes through it.
class RecordingPort final : public Port {
public:
    RecordingPort(std::unique_ptr<Port> inner, LineRecord& record);

    bool writeByte(std::uint8_t byte) override;
    bool writeBytes(std::string_view bytes) override;
    bool readByte(std::uint8_t& byte) override;
    bool readByteWithin(std::uint8_t& byte, int ms) override;
    void close() override;

private:
    std::unique_ptr<Port> m_inner;
    LineRecord& m_record;
};

// A clock that records each pause before taking it.
class RecordingClock final : public Clock {
public:
    RecordingClock(Clock& inner, LineRecord& record) : m_inner(inner), m_record(record) {}
    void delay(int ms) override;

private:
    Clock& m_inner;
    LineRecord& m_record;
};

// While it lives, every command that opens a port on this thread reports its line events to
// `observer` as well (the editor's frame log sets it on the worker thread).
class ScopedLineObserver {
public:
    explicit ScopedLineObserver(LineObserver observer);
    ~ScopedLineObserver();
    ScopedLineObserver(const ScopedLineObserver&) = delete;
    ScopedLineObserver& operator=(const ScopedLineObserver&) = delete;

private:
    LineObserver m_previous;
};
// The observer set on this thread, empty when none.
const LineObserver& CurrentLineObserver();

// Bytes as upper-case hex pairs separated by blanks: "41 43 4B".
std::string HexBytes(std::string_view bytes);
// A frame as a person reads it: printable text, every other byte as "\xHH"; a frame longer
// than `limit` characters keeps its start and end around " ... ".
std::string FrameText(std::string_view frame, std::size_t limit = 60);
// One event as one line: "   12 ms  wrote <ID01><BE>05<E>".
std::string DescribeEvent(const LineEvent& event);
// The whole record, one event a line, reads merged: "   15 ms  read 41 43 4B".
std::string DescribeRecord(const LineRecord& record);

} // namespace lumivo::link
