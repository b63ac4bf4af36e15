#include "link/serial_port.h"

#include <QSerialPort>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#endif

namespace lumivo::link {

std::unique_ptr<SerialPort> SerialPort::open(const QString& device, QString* error) {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    port->setReadBufferSize(kReadBufferSize);
    // Set before opening, so the line is configured as it opens; flow control stays off.
    port->setBaudRate(kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    // QSerialPort opens exclusively: a lock file and TIOCEXCL on Unix, no sharing on Windows.
    if (!port->open(QIODevice::ReadWrite)) {
        if (error != nullptr) {
            *error = port->errorString();
        }
        return nullptr;
    }
#ifndef Q_OS_WIN
    // TIOCEXCL does not stop root, nor a program that opened the device before us. An advisory
    // lock on the device, as other serial tools take, keeps two of our programs (the editor and
    // a script, say) from writing frames into each other on one line.
    if (::flock(static_cast<int>(port->handle()), LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if (error != nullptr) {
            *error = reason == EWOULDBLOCK
                         ? QStringLiteral("the device is in use by another program (locked)")
                         : QString::fromLocal8Bit(std::strerror(reason));
        }
        port->close();
        return nullptr;
    }
#endif
    return std::unique_ptr<SerialPort>(new SerialPort(std::move(port)));
}

SerialPort::SerialPort(std::unique_ptr<QSerialPort> port) : m_port(std::move(port)) {}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::writeByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return writeBytes(std::string_view(&c, 1));
}

bool SerialPort::writeBytes(std::string_view bytes) {
    if (!m_port->isOpen()) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (m_port->write(bytes.data(), size) != size) {
        return false;
    }
    // Synchronous: the call returns once the driver has every byte, or fails.
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(kWriteTimeoutMs)) {
            return false;
        }
    }
    return m_port->error() == QSerialPort::NoError;
}

bool SerialPort::readByte(std::uint8_t& byte) {
    if (!m_port->isOpen()) {
        return false;
    }
    if (m_port->bytesAvailable() == 0 && !m_port->waitForReadyRead(kReadTimeoutMs)) {
        // A quiet line is not a broken one: forget the time-out so the next write and read
        // start clean.
        if (m_port->error() == QSerialPort::TimeoutError) {
            m_port->clearError();
        }
        return false;
    }
    char c = 0;
    if (m_port->read(&c, 1) != 1) {
        return false;
    }
    byte = static_cast<std::uint8_t>(c);
    return true;
}

void SerialPort::close() {
    if (m_port->isOpen()) {
        m_port->close();
    }
}

} // namespace lumivo::link
