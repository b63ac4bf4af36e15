#include "service/http_adapter.h"

#include "service/web_routes.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace lumivo::service {

namespace {

// What one connection may send towards one request: a body at the service's bound and its
// headers. The server library reads a whole body before the service sees it, so the bound is
// kept here, on the bytes as they arrive.
constexpr qint64 kMaxRequestBytes = kMaxBodyBytes + 64 * 1024;
// Connections open at once; one more is closed as soon as it is accepted.
constexpr int kMaxConnections = 256;
// A connection must bring a whole request within this time of opening or of its last answer,
// unless an answer is still owed to it; then it is closed, so idle and trickling clients do not
// hold connections for ever.
constexpr int kIdleMs = 30000;

// The answers owed on a connection, kept on its socket for the connection's guard.
const char kAnswersOwed[] = "lumivoAnswersOwed";

void ChangeAnswersOwed(QTcpSocket* socket, int change) {
    if (socket != nullptr) {
        socket->setProperty(kAnswersOwed, socket->property(kAnswersOwed).toInt() + change);
    }
}

// Watches one connection: counts what it sends towards a request and answers 413 and closes it
// at once beyond the bound, and closes it when it has been idle too long. Made before the
// server library sees the socket, so its slot runs before the library reads the bytes.
class ConnectionGuard final : public QObject {
public:
    ConnectionGuard(QTcpSocket* socket, std::function<void(const QString&)> log)
        : QObject(socket), m_socket(socket), m_log(std::move(log)) {
        connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::countArrived);
        connect(socket, &QTcpSocket::bytesWritten, this, &ConnectionGuard::answered);
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, &ConnectionGuard::idleEnded);
        m_idle.start(kIdleMs);
    }

private:
    void countArrived() {
        if (m_refused) {
            m_socket->readAll();
            return;
        }
        m_arrived += m_socket->bytesAvailable();
        if (m_arrived <= kMaxRequestBytes) {
            return;
        }
        m_refused = true;
        m_socket->readAll();
        const QByteArray body =
            QByteArrayLiteral("{\"error\":\"the request is over ") +
            QByteArray::number(kMaxRequestBytes) + QByteArrayLiteral(" bytes; at most ") +
            QByteArray::number(kMaxBodyBytes) + QByteArrayLiteral(" bytes of body are taken\"}\n");
        m_socket->write(QByteArrayLiteral("HTTP/1.1 413 Payload Too Large\r\n"
                                          "Content-Type: application/json\r\n"
                                          "Connection: close\r\nContent-Length: ") +
                        QByteArray::number(body.size()) + QByteArrayLiteral("\r\n\r\n") + body);
        m_socket->disconnectFromHost();
        tell(QStringLiteral("refused a request of over %1 bytes from %2")
                 .arg(kMaxRequestBytes)
                 .arg(m_socket->peerAddress().toString()));
    }

    void answered() {
        m_arrived = 0;
        m_idle.start(kIdleMs);
    }

    void idleEnded() {
        if (m_socket->property(kAnswersOwed).toInt() > 0) {
            m_idle.start(kIdleMs);
            return;
        }
        m_socket->disconnectFromHost();
    }

    void tell(const QString& line) const {
        if (m_log) {
            m_log(QStringLiteral("lumivod: ") + line);
        }
    }

    QTcpSocket* m_socket;
    std::function<void(const QString&)> m_log;
    QTimer m_idle;
    qint64 m_arrived = 0;
    bool m_refused = false;
};

// Accepts connections for the server library with a guard on each, and at most
// kMaxConnections open at once.
class GuardedTcpServer final : public QTcpServer {
public:
    explicit GuardedTcpServer(std::function<void(const QString&)> log) : m_log(std::move(log)) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (m_open >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            if (m_log && !m_full) {
                m_log(QStringLiteral("lumivod: %1 connections are open; further ones are "
                                     "closed until one ends")
                          .arg(kMaxConnections));
            }
            m_full = true;
            return;
        }
        m_full = false;
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        new ConnectionGuard(socket, m_log);
        addPendingConnection(socket);
    }

private:
    std::function<void(const QString&)> m_log;
    int m_open = 0;
    bool m_full = false;
};

QByteArray MethodName(QHttpServerRequest::Method method) {
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return QByteArrayLiteral("GET");
    case QHttpServerRequest::Method::Post:
        return QByteArrayLiteral("POST");
    case QHttpServerRequest::Method::Put:
        return QByteArrayLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QByteArrayLiteral("DELETE");
    case QHttpServerRequest::Method::Head:
        return QByteArrayLiteral("HEAD");
    case QHttpServerRequest::Method::Patch:
        return QByteArrayLiteral("PATCH");
    default:
        break;
    }
    return QByteArrayLiteral("OTHER");
}

ApiRequest ToApiRequest(const QHttpServerRequest& request) {
    ApiRequest api;
    api.method = MethodName(request.method());
    api.path = request.url().path(QUrl::FullyEncoded).toUtf8();
    api.query = request.url().query(QUrl::FullyEncoded).toUtf8();
    for (const auto& [name, value] : request.headers()) {
        if (name.compare("authorization", Qt::CaseInsensitive) == 0) {
            api.authorization = value;
        } else if (name.compare("content-type", Qt::CaseInsensitive) == 0) {
            api.contentType = value;
        }
    }
    api.body = request.body();
    return api;
}

void Write(QHttpServerResponder& responder, const ApiAnswer& answer) {
    // Written piece by piece: the headers are a list built here, which the one-call write does
    // not take.
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(answer.status));
    responder.writeHeader(QByteArrayLiteral("Content-Type"), answer.contentType);
    responder.writeHeader(QByteArrayLiteral("Content-Length"),
                          QByteArray::number(answer.body.size()));
    responder.writeHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
    for (const auto& [name, value] : SecurityHeaders()) {
        responder.writeHeader(name, value);
    }
    if (answer.status == 401) {
        responder.writeHeader(QByteArrayLiteral("WWW-Authenticate"),
                              QByteArrayLiteral("Bearer realm=\"lumivod\""));
    }
    responder.writeBody(answer.body);
}

} // namespace

HttpAdapter::HttpAdapter(SignService& service, std::function<void(const QString&)> log,
                         QObject* parent)
    : QObject(parent), m_service(service), m_server(std::make_unique<QHttpServer>()),
      m_log(std::move(log)) {
    // Every path goes to the service, which answers at once or when the transfer it waits for
    // has ended. The responder is kept until then; the connection is watched, so an answer for a
    // client that has gone is dropped rather than written to a closed socket.
    m_server->route(QStringLiteral("/<arg>"), [this](const QUrl&, const QHttpServerRequest& request,
                                                     QHttpServerResponder&& responder) {
        auto kept = std::make_shared<QHttpServerResponder>(std::move(responder));
        QPointer<QTcpSocket> socket = kept->socket();
        ChangeAnswersOwed(socket, 1);
        m_service.handle(ToApiRequest(request), [kept, socket](ApiAnswer answer) {
            ChangeAnswersOwed(socket, -1);
            if (socket != nullptr && socket->state() == QAbstractSocket::ConnectedState) {
                Write(*kept, answer);
            }
        });
    });
    m_server->setMissingHandler(
        [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            // Only paths outside the routes come here, and the service answers those at once;
            // an answer that came later would find the shared copy, never a dead responder.
            auto answered = std::make_shared<ApiAnswer>(
                ApiAnswer{404, QByteArrayLiteral("application/json"),
                          QByteArrayLiteral("{\"error\":\"no such resource\"}\n")});
            m_service.handle(ToApiRequest(request),
                             [answered](ApiAnswer answer) { *answered = std::move(answer); });
            Write(responder, *answered);
        });
}

HttpAdapter::~HttpAdapter() = default;

quint16 HttpAdapter::listen(const QHostAddress& address, quint16 port) {
    auto tcp = std::make_unique<GuardedTcpServer>(m_log);
    if (!tcp->listen(address, port)) {
        return 0;
    }
    const quint16 listening = tcp->serverPort();
    // The server library answers what the listening socket accepts; the socket is its child.
    GuardedTcpServer* bound = tcp.release();
    bound->setParent(m_server.get());
    m_server->bind(bound);
    return listening;
}

} // namespace lumivo::service
