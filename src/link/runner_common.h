#pragma once

// Pieces shared by the command runners; not for use outside src/link.

#include "link/clock.h"
#include "link/line_record.h"
#include "link/outcome.h"
#include "link/port.h"

#include <memory>
#include <string>
#include <string_view>

namespace lumivo::link {

inline constexpr std::string_view kOpenComError = " Open Com Error ";

// The port of one command: opened when the session starts, closed on every path out of it.
// Everything written, read and waited for is kept in its line record.
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
    // Reads one byte, waiting at most `ms`; false when none came.
    bool readByteWithin(std::uint8_t& byte, int ms);
    // Takes a pause between frames on `clock`, noting it in the record.
    void delay(Clock& clock, int ms);

    const LineRecord& record() const { return m_record; }
    // The device the opener opened, when it said.
    const std::string& device() const { return m_device; }

    // What happened to the last frame: that writing it failed, or what came back after it
    // (nothing, or the bytes in hex), and the command that checks the line as the next step.
    std::string noAnswerDetails() const;
    // A plain failure box with `text`, explained by noAnswerDetails().
    Outcome failure(std::string_view text) const;

    void close();

private:
    LineRecord m_record; // before the port, which writes into it
    std::unique_ptr<Port> m_port;
    OpenFailureNote m_openFailure;
    std::string m_device;
    std::string m_signId; // of the last frame sent
};

// "lumivo-cli check --port DEVICE --sign XX": the command that finds out why a sign does not
// answer (no --sign when `signId` is empty or "00").
std::string CheckCommandText(const std::string& device, const std::string& signId);

// " Open Com Error ", with the device and the reason of the session's failed open as details.
Outcome OpenFailure(const PortSession& session);
Outcome Information(std::string_view text);  // a success or an "is Over" end
Outcome PlainFailure(std::string_view text); // a reply or write failure
Outcome ErrorFailure(std::string_view text); // an error box that is not a success
Outcome Succeeded();                         // success shown by no box at all

} // namespace lumivo::link
