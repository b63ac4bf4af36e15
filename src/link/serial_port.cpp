#include "link/serial_port.h"

#include <QSerialPort>

#ifndef Q_OS_WIN
#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace lumivo::link {

#ifndef Q_OS_WIN
namespace {

// The program that holds an advisory lock on the device, as "NAME, process PID", from the
// kernel's list of locks; empty when no lock on it is listed.
std::string LockHolder(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) {
        return {};
    }
    const Result<Bytes> locks = ReadWholeFile("/proc/locks", 1024 * 1024);
    if (!locks) {
        return {};
    }
    // Each line: "1: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF", the file as MAJOR:MINOR:INODE
    // with the numbers of the device in hexadecimal; a waiter's line holds "->".
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", ::major(device.st_dev),
                  ::minor(device.st_dev), static_cast<unsigned long long>(device.st_ino));
    std::istringstream lines(*locks);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string previous;
        bool waiter = false;
        for (std::string word; words >> word; previous = word) {
            waiter = waiter || word == "->";
            if (word != wanted || waiter) {
                continue;
            }
            const int pid = ParseDecimal(previous);
            if (pid <= 0) {
                break;
            }
            const Result<Bytes> comm = ReadWholeFile("/proc/" + std::to_string(pid) + "/comm", 256);
            std::string name = comm ? *comm : std::string("a program");
            if (!name.empty() && name.back() == '\n') {
                name.pop_back();
            }
            return PrintableText(name) + ", process " + std::to_string(pid);
        }
    }
    return {};
}

// What to say when a device that exists is held by another program.
QString InUseReason(const std::string& path) {
    QString reason = QStringLiteral("the device is in use by another program");
    if (const std::string holder = LockHolder(path); !holder.empty()) {
        reason += QStringLiteral(" (") + QString::fromStdString(holder) + QLatin1Char(')');
    }
    return reason;
}

// The device file of a port name, as the serial port looks it up: a bare name is below /dev.
std::string DevicePath(const QString& device) {
    const QString path =
        device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
    return path.toLocal8Bit().toStdString();
}

} // namespace
#endif

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
#ifndef Q_OS_WIN
            // A lock file held by another program, or a device it opened exclusively, comes
            // back as a permission error; when we may read and write the device, it is in use.
            const std::string path = DevicePath(device);
            if (port->error() == QSerialPort::PermissionError &&
                ::access(path.c_str(), R_OK | W_OK) == 0) {
                *error = InUseReason(path);
            }
#endif
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
            *error = reason == EWOULDBLOCK ? InUseReason(DevicePath(device))
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
    return readByteWithin(byte, kReadTimeoutMs);
}

bool SerialPort::readByteWithin(std::uint8_t& byte, int ms) {
    if (!m_port->isOpen()) {
        return false;
    }
    if (m_port->bytesAvailable() == 0 && !m_port->waitForReadyRead(ms)) {
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
