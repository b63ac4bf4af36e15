#include "link/tcp_port.h"

#include <QTcpSocket>
#include <QUrl>

namespace lumivo::link {

bool TcpPort::parseTarget(const QString& target, QString& host, quint16& port) {
    const QUrl url(target, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("tcp"), Qt::CaseInsensitive) != 0 ||
        url.host().isEmpty() || url.port() <= 0 || !(url.path().isEmpty() || url.path() == u'/')) {
        return false;
    }
    host = url.host();
    port = static_cast<quint16>(url.port());
    return true;
}

std::unique_ptr<TcpPort> TcpPort::open(const QString& host, quint16 port, QString* error,
                                       int connectTimeoutMs) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(host, port);
    if (!socket->waitForConnected(connectTimeoutMs)) {
        if (error != nullptr) {
            *error = socket->errorString();
        }
        return nullptr;
    }
    // Bytes go out as they are written: a sign paces itself by frames, not by packets.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return std::unique_ptr<TcpPort>(new TcpPort(std::move(socket)));
}

TcpPort::TcpPort(std::unique_ptr<QTcpSocket> socket) : m_socket(std::move(socket)) {}

TcpPort::~TcpPort() {
    close();
}

bool TcpPort::writeByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return writeBytes(std::string_view(&c, 1));
}

bool TcpPort::writeBytes(std::string_view bytes) {
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (m_socket->write(bytes.data(), size) != size) {
        return false;
    }
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(kWriteTimeoutMs)) {
            return false;
        }
    }
    // A peer that has gone shows up as a closed or failed socket once the bytes are flushed.
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool TcpPort::readByte(std::uint8_t& byte) {
    return readByteWithin(byte, kReadTimeoutMs);
}

bool TcpPort::readByteWithin(std::uint8_t& byte, int ms) {
    if (m_socket->bytesAvailable() == 0) {
        if (m_socket->state() != QAbstractSocket::ConnectedState ||
            !m_socket->waitForReadyRead(ms)) {
            return false;
        }
    }
    char c = 0;
    if (m_socket->read(&c, 1) != 1) {
        return false;
    }
    byte = static_cast<std::uint8_t>(c);
    return true;
}

void TcpPort::close() {
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        return;
    }
    // Every write was flushed already, so this closes at once; abort if the socket lingers.
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState &&
        !m_socket->waitForDisconnected(kWriteTimeoutMs)) {
        m_socket->abort();
    }
}

} // namespace lumivo::link
