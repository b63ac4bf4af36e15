#pragma once

#include "core/bytes.h"
#include "sim/frame_parser.h"
#include "sim/sign_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace lumivo::sim {

// Misbehaviour on demand, to try the program's failure paths.
enum class Fault {
    None,
    Silent,  // applies what it is sent but never answers
    Refuse,  // applies nothing and answers every frame with the refusal
    Garbage, // applies what it is sent but answers three bytes of noise
};

inline constexpr std::string_view kAckReply = "ACK";
// A refusal starts with "N" and is four bytes long, so a reader consumes it whole.
inline constexpr std::string_view kRefusalReply = "NACK";
// An acknowledgement with its first byte spoiled.
inline constexpr std::string_view kGarbageReply = "\xFF"
                                                  "CK";

// One event on the line and what the sign made of it.
struct Exchange {
    ParsedFrame frame;
    PayloadKind kind = PayloadKind::Unknown; // frames only
    bool applied = false;
    Bytes reply;      // the bytes to send back, empty for none
    std::string note; // why a frame was not applied or answered as usual; empty otherwise
};

// One connection to the sign: its own frame parser, so the bytes of two connections never mix
// into one frame.
class SignLine {
public:
    // A frame was begun but not ended, and the line has not been idle since.
    bool wantsIdle() const { return parser.pendingBytes() > 0 && !idleSeen; }

    // The line was closed or reconnected: a half-received frame is forgotten.
    void reset() {
        parser.reset();
        idleSeen = false;
    }

    FrameParser parser;
    bool idleSeen = false;
};

// The sign itself: parses what arrives, applies it to its state, and decides the reply.
//
// Frames for its own ID are applied and answered "ACK"; frames for "00" are applied and never
// answered; frames for another ID are ignored. A frame for its own ID with a bad checksum is
// refused and not applied. The unframed Set ID is taken by every sign on the line and answered
// with the two digits of the new ID.
class VirtualSign {
public:
    explicit VirtualSign(int id = 1, Fault fault = Fault::None);

    // Bytes that arrived on the sign's own line, or on one of several connections.
    std::vector<Exchange> receive(std::string_view bytes) { return receive(m_line, bytes); }
    std::vector<Exchange> receive(SignLine& line, std::string_view bytes);

    // Nothing arrived for a while: settles a counted payload that came short (FrameParser).
    std::vector<Exchange> lineIdle() { return lineIdle(m_line); }
    std::vector<Exchange> lineIdle(SignLine& line);

    bool wantsIdle() const { return m_line.wantsIdle(); }
    void lineReset() { m_line.reset(); }

    const SignState& state() const { return m_state; }
    Fault fault() const { return m_fault; }

private:
    std::vector<Exchange> handleAll(std::vector<ParsedFrame> frames);
    Exchange handle(ParsedFrame frame);
    void handleFrame(Exchange& exchange);
    void handleSetId(Exchange& exchange);
    // The reply a sound sign would give, spoiled by the fault.
    Bytes spoil(std::string_view reply) const;

    SignLine m_line;
    SignState m_state;
    Fault m_fault;
};

} // namespace lumivo::sim
