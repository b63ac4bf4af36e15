#include "link/runner_common.h"

#include "core/frame.h"

namespace lumivo::link {

PortSession::PortSession(const PortOpener& open) {
    TakeOpenFailure(); // a note left by an earlier open is not this one's
    m_port = open ? open() : nullptr;
    if (m_port == nullptr) {
        m_openFailure = TakeOpenFailure();
    }
}

PortSession::~PortSession() {
    close();
}

bool PortSession::write(std::string_view bytes) {
    return m_port && m_port->writeBytes(bytes);
}

bool PortSession::sendFrame(std::string_view payload, std::string_view signId) {
    return write(BuildFrame(payload, signId));
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
