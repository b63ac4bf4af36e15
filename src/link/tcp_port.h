#pragma once

#include "link/port.h"

#include <QString>

#include <memory>

class QTcpSocket;

namespace lumivo::link {

// A raw TCP connection to a serial device server (or to the virtual sign), used like a serial
// line: one byte written at a time, one byte read with the line's read time-out. The socket is
// created, used and destroyed on the thread that runs the command.
class TcpPort final : public Port {
public:
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kWriteTimeoutMs = 5000;

    // Connects to host:port; null when the host cannot be reached in time.
    static std::unique_ptr<TcpPort> open(const QString& host, quint16 port,
                                         QString* error = nullptr,
                                         int connectTimeoutMs = kConnectTimeoutMs);

    // Splits "tcp://host:port"; false when the text is not of that form.
    static bool parseTarget(const QString& target, QString& host, quint16& port);

    ~TcpPort() override;

    bool writeByte(std::uint8_t byte) override;
    bool writeBytes(std::string_view bytes) override;
    bool readByte(std::uint8_t& byte) override;
    bool readByteWithin(std::uint8_t& byte, int ms) override;
    void close() override;

private:
    explicit TcpPort(std::unique_ptr<QTcpSocket> socket);

    std::unique_ptr<QTcpSocket> m_socket;
};

} // namespace lumivo::link
