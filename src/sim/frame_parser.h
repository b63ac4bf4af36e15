#pragma once

#include "core/bytes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::sim {

// What the parser found on the line.
enum class ParsedKind {
    Frame,   // "<ID" + hh + ">" + payload + checksum + "<E>"
    SetId,   // the unframed "<ID><" + hh + "><E>"
    Dropped, // a frame start that never found its end (runaway or cut off by the next frame)
};

struct ParsedFrame {
    ParsedKind kind = ParsedKind::Frame;
    // Frame: the addressed sign ID as received; SetId: the new ID as received.
    std::string signId;
    Bytes payload;
    // The two bytes before "<E>" as received (may be short or not hexadecimal on a bad frame).
    std::string checksumText;
    bool checksumOk = false;
    // Every byte the event covers, as received.
    Bytes raw;
    // Dropped: why.
    std::string reason;
};

// Turns a byte stream into frames, whatever the chunking. Bytes outside frames are skipped.
//
// Where a frame ends:
// - a graphic block ("<G" + letter + number + ">") carries exactly 64 raw bytes and a user
//   character ("<F" + size letter + two hex digits + ">") exactly 8, so their end is found by
//   counting, even when the raw bytes contain "<E>";
// - every other payload is text and ends at the first "<E>" after the header; the two bytes
//   before it are the checksum;
// - a counted payload whose end is not "hh<E>" falls back to the text rule, and so does one
//   still short of its count when the line goes quiet (flushIdle);
// - a text payload that meets a new frame header ("<ID" + hh + ">") before its "<E>" is dropped,
//   and so is one that grows beyond kMaxFrameBytes without an end.
class FrameParser {
public:
    static constexpr std::size_t kMaxFrameBytes = 4096;
    static constexpr std::size_t kBlockPixelBytes = 64;
    static constexpr std::size_t kFontRowBytes = 8;

    std::vector<ParsedFrame> feed(std::string_view bytes);

    // The line has gone quiet: a counted payload still short of its count is taken to end at
    // its first "<E>" (a sender that waits for an answer will send nothing more).
    std::vector<ParsedFrame> flushIdle();

    // Forgets a partly received frame (the line was closed or reconnected).
    void reset();

    std::size_t pendingBytes() const { return m_buffer.size(); }
    // Bytes skipped as garbage since construction.
    std::size_t skippedBytes() const { return m_skipped; }

private:
    enum class Step { NeedMore, Progress };
    Step parseOne(std::vector<ParsedFrame>& out);
    Step parseSetId(std::vector<ParsedFrame>& out);
    Step parseTextFrame(std::size_t searchFrom, std::vector<ParsedFrame>& out);
    // Whether the buffer starts with the pattern; on a mismatch one byte is skipped as garbage.
    // nullopt means a full match; otherwise the step to return.
    std::optional<Step> expectPattern(std::string_view pattern);
    void emitFrame(std::size_t payloadEnd, std::size_t frameEnd, std::vector<ParsedFrame>& out);
    void drop(std::size_t count, std::string reason, std::vector<ParsedFrame>& out);
    void skip(std::size_t count);

    Bytes m_buffer;
    std::size_t m_skipped = 0;
    bool m_idle = false;
};

} // namespace lumivo::sim
