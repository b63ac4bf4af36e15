#pragma once

#include "link/port.h"

#include <QString>

#include <memory>

class QSerialPort;

namespace lumivo::link {

// A serial line at 9600 baud, 8 data bits, no parity, one stop bit, opened exclusively. The
// QSerialPort inside is reentrant but not thread-safe: the port is opened, used and destroyed
// on the one thread that runs the command.
class SerialPort final : public Port {
public:
    static constexpr int kBaudRate = 9600;
    static constexpr int kReadBufferSize = 1024;
    // How long a write may wait for the driver to take its bytes before it counts as failed.
    static constexpr int kWriteTimeoutMs = 5000;

    // Opens a device: a path (/dev/ttyUSB0, /dev/pts/3) is used as it is, a bare name (ttyS0,
    // COM3) is looked up by the platform. Null when the device is missing, held by another
    // program, or refuses the line settings; `error` then tells why.
    static std::unique_ptr<SerialPort> open(const QString& device, QString* error = nullptr);

    ~SerialPort() override;

    bool writeByte(std::uint8_t byte) override;
    bool writeBytes(std::string_view bytes) override;
    bool readByte(std::uint8_t& byte) override;
    bool readByteWithin(std::uint8_t& byte, int ms) override;
    void close() override;

private:
    explicit SerialPort(std::unique_ptr<QSerialPort> port);

    std::unique_ptr<QSerialPort> m_port;
};

} // namespace lumivo::link
