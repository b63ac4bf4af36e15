#pragma once

#include "link/clock.h"
#include "link/port.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace lumivo::link {

// Cuts the bytes written to a sign into frames. A frame ends with "<E>"; a graphic block frame
// (payload "<G...") is always 80 bytes and a font character frame (payload "<F...") 25, so raw
// pixel or row bytes that happen to spell "<E>" do not end them early. Set ID's unframed
// "<ID><nn><E>" ends at its "<E>" too.
class FrameAssembler {
public:
    static constexpr std::size_t kBlockFrameLength = 80;
    static constexpr std::size_t kFontCharFrameLength = 25;

    // Adds one byte; true when it completed a frame, then held by frame() until the next push.
    bool push(char byte);
    const std::string& frame() const { return m_frame; }
    // Bytes of the frame not yet complete.
    const std::string& pending() const { return m_current; }

private:
    std::string m_current;
    std::string m_frame;
};

// What a scripted sign answers to one complete frame ("" for silence).
using FrameResponder = std::function<std::string(const std::string& frame)>;

// A scripted sign line for tests: hands out fake ports, answers each complete frame, and keeps a
// log of everything that happened in order. Thread-safe, so a window test may run a command on a
// worker thread and read the log after it ended. The line outlives the ports it opened.
//
// Replies: each complete frame is answered by the responder when one is set, otherwise by the
// next queued reply, otherwise by the default reply ("ACK" at start). The answer becomes readable
// at once; what a command does not read stays unread until the port closes, as on a real line.
//
// Event log, one entry per event:
//   "open", "open failed", "close"
//   "write " + bytes   one frame (or the bytes written before the next read, pause or close)
//   "write failed"     a write refused by failWritesAfter (or after close)
//   "read " + bytes    consecutive bytes read
//   "timeout"          one read that found nothing
//   "pause " + ms      a pause taken on clock()
class FakeLine {
public:
    FakeLine();
    ~FakeLine();
    FakeLine(const FakeLine&) = delete;
    FakeLine& operator=(const FakeLine&) = delete;

    // --- the script
    void setDefaultReply(std::string reply);
    void queueReply(std::string reply);
    void queueReplies(std::initializer_list<std::string> replies);
    void setResponder(FrameResponder responder);
    // Every byte after the first `acceptedBytes` (counted over all opens) fails to be written.
    void failWritesAfter(std::size_t acceptedBytes);
    // The opener returns null, as for a missing or busy device.
    void setOpenFails(bool fails = true);

    // --- the connection
    // Opens a port on this line; a second open while one is open fails (the line is exclusive).
    PortOpener opener();
    // A clock that returns at once and logs each pause in the event log.
    Clock& clock();

    // --- what happened
    std::string written() const;             // every byte accepted, all opens together
    std::vector<std::string> frames() const; // the complete frames written, in order
    std::vector<std::string> events() const;
    std::vector<int> pauses() const;
    int openCount() const; // successful opens
    int closeCount() const;
    bool isOpen() const;
    std::string unread() const; // answered bytes not read yet on the open port

    struct State; // shared with the ports and the clock

private:
    std::shared_ptr<State> m_state;
    std::unique_ptr<Clock> m_clock;
};

} // namespace lumivo::link
