#include "link/runner_common.h"

#include "core/frame.h"

namespace lumivo::link {

PortSession::PortSession(const PortOpener& open) : m_record(CurrentLineObserver()) {
    TakeOpenFailure(); // notes left by an earlier open are not this one's
    TakeOpenedDevice();
    std::unique_ptr<Port> port = open ? open() : nullptr;
    if (port == nullptr) {
        m_openFailure = TakeOpenFailure();
        return;
    }
    m_device = TakeOpenedDevice();
    m_port = std::make_unique<RecordingPort>(std::move(port), m_record);
}

PortSession::~PortSession() {
    close();
}

bool PortSession::write(std::string_view bytes) {
    return m_port && m_port->writeBytes(bytes);
}

bool PortSession::sendFrame(std::string_view payload, std::string_view signId) {
    m_signId = std::string(signId);
    return write(BuildFrame(payload, signId));
}

bool PortSession::readByteWithin(std::uint8_t& byte, int ms) {
    return m_port && m_port->readByteWithin(byte, ms);
}

void PortSession::delay(Clock& clock, int ms) {
    RecordingClock(clock, m_record).delay(ms);
}

std::string PortSession::noAnswerDetails() const {
    const std::string frame = m_record.lastWritten();
    std::string text;
    if (frame.empty()) {
        text = "Nothing was written to the line.";
    } else if (m_record.lastWriteFailed()) {
        text = "Writing " + FrameText(frame) + " to " + (m_device.empty() ? "the port" : m_device) +
               " failed: the device is gone or the connection dropped.";
    } else if (const std::string reply = m_record.readSinceLastWrite(); reply.empty()) {
        text = "No answer to " + FrameText(frame) + ": no byte came back.";
    } else {
        text = "The answer to " + FrameText(frame) +
               " was not \"ACK\": " + std::to_string(reply.size()) +
               (reply.size() == 1 ? " byte" : " bytes") + " came back, " + HexBytes(reply) + " \"" +
               PrintableText(reply) + "\".";
    }
    return text + " Next: run Check: " + CheckCommandText(m_device, m_signId);
}

Outcome PortSession::failure(std::string_view text) const {
    Outcome outcome = PlainFailure(text);
    outcome.details = noAnswerDetails();
    return outcome;
}

std::string CheckCommandText(const std::string& device, const std::string& signId) {
    std::string command = "lumivo-cli check --port " + (device.empty() ? "PORT" : device);
    if (!signId.empty() && !IsBroadcast(signId)) {
        command += " --sign " + signId;
    }
    return command;
}

std::string PortSession::readBytes(int count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    for (char& c : bytes) {
        std::uint8_t byte = 0;
        if (m_port && m_port->readByte(byte)) {
            c = static_cast<char>(byte);
        }
    }
    return bytes;
}

bool PortSession::waitReply() {
    std::string positions = readBytes(kReplyLength);
    if (ReplyWantsFourthByte(positions[0])) {
        positions += readBytes(1);
    }
    return IsAckReply(positions);
}

void PortSession::close() {
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}

Outcome OpenFailure(const PortSession& session) {
    Outcome outcome = ErrorFailure(kOpenComError);
    const OpenFailureNote& note = session.openFailure();
    if (!note.device.empty() || !note.reason.empty()) {
        outcome.details = "Could not open " + (note.device.empty() ? "the port" : note.device) +
                          (note.reason.empty() ? std::string() : ": " + note.reason);
        if (!note.device.empty()) {
            outcome.details += ". Next: run Check: " + CheckCommandText(note.device, {});
        }
    }
    return outcome;
}

Outcome Information(std::string_view text) {
    return Outcome{BoxKind::Information, std::string(text), true};
}

Outcome PlainFailure(std::string_view text) {
    return Outcome{BoxKind::Plain, std::string(text), false};
}

Outcome ErrorFailure(std::string_view text) {
    return Outcome{BoxKind::Error, std::string(text), false};
}

Outcome Succeeded() {
    return Outcome{BoxKind::None, {}, true};
}

} // namespace lumivo::link
