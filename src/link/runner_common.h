#pragma once

// Pieces shared by the command runners; not for use outside src/link.

#include "link/outcome.h"
#include "link/port.h"

#include <memory>
#include <string>
#include <string_view>

namespace lumivo::link {

inline constexpr std::string_view kOpenComError = " Open Com Error ";

// The port of one command: opened when the session starts, closed on every path out of it.
class PortSession {
public:
    explicit PortSession(const PortOpener& open);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool isOpen() const { return m_port != nullptr; }
    // Why the port did not open, when the opener said.
    const OpenFailureNote& openFailure() const { return m_openFailure; }

    // Writes bytes as they are; false when a write failed.
    bool write(std::string_view bytes);
    // Frames the payload for the sign ID and writes it; false when a write failed.
    bool sendFrame(std::string_view payload, std::string_view signId);
    // Reads a reply: three bytes, a fourth after an "N"; each read that times out leaves a zero.
    // True only for "ACK".
    bool waitReply();
    // Reads `count` bytes into a zero-filled text, each read waiting at most the read time-out.
    std::string readBytes(int count);

    void close();

private:
    std::unique_ptr<Port> m_port;
    OpenFailureNote m_openFailure;
};

// " Open Com Error ", with the device and the reason of the session's failed open as details.
Outcome OpenFailure(const PortSession& session);
Outcome Information(std::string_view text);  // a success or an "is Over" end
Outcome PlainFailure(std::string_view text); // a reply or write failure
Outcome ErrorFailure(std::string_view text); // an error box that is not a success
Outcome Succeeded();                         // success shown by no box at all

} // namespace lumivo::link
