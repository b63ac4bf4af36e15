#include "sim/frame_parser.h"

#include "core/frame.h"
#include "sim/pattern.h"

namespace lumivo::sim {

namespace {

constexpr std::string_view kIdOpen = "<ID";
constexpr std::string_view kEndTag = "<E>";
constexpr std::size_t kHeaderSize = 6; // "<ID" + hh + ">"

constexpr std::string_view kFrameHeader = "<ID##>";
constexpr std::string_view kSetIdPattern = "<ID><##><E>";

// The position of the first complete frame header or Set ID sequence at or after `from`.
std::size_t FindNextStart(std::string_view data, std::size_t from) {
    for (std::size_t at = data.find(kIdOpen, from); at != std::string_view::npos;
         at = data.find(kIdOpen, at + 1)) {
        const std::string_view rest = data.substr(at);
        if (MatchPattern(rest, kFrameHeader) == PatternMatch::Full ||
            MatchPattern(rest, "<ID><##>") == PatternMatch::Full) {
            return at;
        }
    }
    return std::string_view::npos;
}

// Length of a counted payload (its header plus raw bytes) when the payload starts with one,
// 0 when it is text, -1 when more bytes are needed to tell.
long CountedPayloadLength(std::string_view payload) {
    struct Shape {
        std::string_view pattern;
        std::size_t rawBytes;
    };
    static constexpr Shape kShapes[] = {
        {"<G@9>", FrameParser::kBlockPixelBytes},
        {"<G@99>", FrameParser::kBlockPixelBytes},
        {"<F@##>", FrameParser::kFontRowBytes},
    };
    bool undecided = false;
    for (const Shape& shape : kShapes) {
        switch (MatchPattern(payload, shape.pattern)) {
        case PatternMatch::Full:
            return static_cast<long>(shape.pattern.size() + shape.rawBytes);
        case PatternMatch::Partial:
            undecided = true;
            break;
        case PatternMatch::Mismatch:
            break;
        }
    }
    return undecided ? -1 : 0;
}

} // namespace

std::vector<ParsedFrame> FrameParser::feed(std::string_view bytes) {
    m_buffer.append(bytes);
    std::vector<ParsedFrame> out;
    while (parseOne(out) == Step::Progress) {
    }
    return out;
}

std::vector<ParsedFrame> FrameParser::flushIdle() {
    m_idle = true;
    std::vector<ParsedFrame> out;
    while (parseOne(out) == Step::Progress) {
    }
    m_idle = false;
    return out;
}

void FrameParser::reset() {
    m_buffer.clear();
}

void FrameParser::skip(std::size_t count) {
    m_buffer.erase(0, count);
    m_skipped += count;
}

void FrameParser::drop(std::size_t count, std::string reason, std::vector<ParsedFrame>& out) {
    ParsedFrame dropped;
    dropped.kind = ParsedKind::Dropped;
    if (m_buffer.size() >= 5) {
        dropped.signId = m_buffer.substr(3, 2);
    }
    dropped.raw = m_buffer.substr(0, count);
    dropped.reason = std::move(reason);
    m_buffer.erase(0, count);
    out.push_back(std::move(dropped));
}

FrameParser::Step FrameParser::parseOne(std::vector<ParsedFrame>& out) {
    const std::size_t start = m_buffer.find(kIdOpen);
    if (start == std::string::npos) {
        // Keep a trailing "<" or "<I": it may be the start of the next frame.
        std::size_t keep = 0;
        if (m_buffer.ends_with("<I")) {
            keep = 2;
        } else if (m_buffer.ends_with('<')) {
            keep = 1;
        }
        skip(m_buffer.size() - keep);
        return Step::NeedMore;
    }
    skip(start);
    if (m_buffer.size() <= kIdOpen.size()) {
        return Step::NeedMore;
    }
    if (m_buffer[kIdOpen.size()] == '>') {
        return parseSetId(out);
    }
    if (const auto step = expectPattern(kFrameHeader)) {
        return *step;
    }

    const long counted = CountedPayloadLength(std::string_view(m_buffer).substr(kHeaderSize));
    if (counted < 0) {
        return Step::NeedMore;
    }
    if (counted == 0) {
        return parseTextFrame(kHeaderSize, out);
    }
    const std::size_t payloadEnd = kHeaderSize + static_cast<std::size_t>(counted);
    const std::size_t frameEnd = payloadEnd + 2 + kEndTag.size();
    const std::size_t headerEnd = m_buffer.find('>', kHeaderSize) + 1;
    if (m_buffer.size() < frameEnd) {
        return m_idle ? parseTextFrame(headerEnd, out) : Step::NeedMore;
    }
    if (StartsWithPattern(std::string_view(m_buffer).substr(payloadEnd), "##<E>")) {
        emitFrame(payloadEnd, frameEnd, out);
        return Step::Progress;
    }
    // The count does not fit (a short or long block): take the first end tag after the
    // counted header instead; the checksum then decides.
    return parseTextFrame(headerEnd, out);
}

std::optional<FrameParser::Step> FrameParser::expectPattern(std::string_view pattern) {
    switch (MatchPattern(m_buffer, pattern)) {
    case PatternMatch::Mismatch:
        skip(1);
        return Step::Progress;
    case PatternMatch::Partial:
        return Step::NeedMore;
    case PatternMatch::Full:
        break;
    }
    return std::nullopt;
}

FrameParser::Step FrameParser::parseSetId(std::vector<ParsedFrame>& out) {
    if (const auto step = expectPattern(kSetIdPattern)) {
        return *step;
    }
    ParsedFrame setId;
    setId.kind = ParsedKind::SetId;
    setId.signId = m_buffer.substr(5, 2);
    setId.checksumOk = true;
    setId.raw = m_buffer.substr(0, kSetIdPattern.size());
    m_buffer.erase(0, kSetIdPattern.size());
    out.push_back(std::move(setId));
    return Step::Progress;
}

FrameParser::Step FrameParser::parseTextFrame(std::size_t searchFrom,
                                              std::vector<ParsedFrame>& out) {
    // Only the first kMaxFrameBytes + 1 bytes are searched: the bytes a frame has when it grows
    // beyond the bound. So the outcome is the same whether the frame arrived byte by byte or in
    // one read, and one read holding a frame longer than the bound does not let it through.
    const std::string_view window = std::string_view(m_buffer).substr(0, kMaxFrameBytes + 1);
    const std::size_t endTag = window.find(kEndTag, searchFrom);
    const std::size_t next = FindNextStart(window, searchFrom);
    if (next != std::string::npos && (endTag == std::string::npos || next < endTag)) {
        drop(next, "cut off by the next frame", out);
        return Step::Progress;
    }
    if (endTag == std::string::npos) {
        if (m_buffer.size() > kMaxFrameBytes) {
            drop(window.size(), "no end within " + std::to_string(kMaxFrameBytes) + " bytes", out);
            return Step::Progress;
        }
        return Step::NeedMore;
    }
    // The two bytes before "<E>" are the checksum; a frame too short to hold them keeps
    // whatever it has, and fails the check.
    const std::size_t payloadEnd = endTag >= kHeaderSize + 2 ? endTag - 2 : kHeaderSize;
    emitFrame(payloadEnd, endTag + kEndTag.size(), out);
    return Step::Progress;
}

void FrameParser::emitFrame(std::size_t payloadEnd, std::size_t frameEnd,
                            std::vector<ParsedFrame>& out) {
    ParsedFrame frame;
    frame.kind = ParsedKind::Frame;
    frame.signId = m_buffer.substr(3, 2);
    frame.payload = m_buffer.substr(kHeaderSize, payloadEnd - kHeaderSize);
    frame.checksumText = m_buffer.substr(payloadEnd, frameEnd - kEndTag.size() - payloadEnd);
    frame.checksumOk = frame.checksumText.size() == 2 &&
                       ParseHex(frame.checksumText) == FrameChecksum(frame.payload);
    frame.raw = m_buffer.substr(0, frameEnd);
    m_buffer.erase(0, frameEnd);
    out.push_back(std::move(frame));
}

} // namespace lumivo::sim
