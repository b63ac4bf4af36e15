#include "service/http_adapter.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QPointer>
#include <QTcpSocket>
#include <QUrl>

namespace lumivo::service {

namespace {

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
    const auto status = static_cast<QHttpServerResponder::StatusCode>(answer.status);
    const QByteArray noStore = QByteArrayLiteral("no-store");
    if (answer.status == 401) {
        responder.write(answer.body,
                        {{QByteArrayLiteral("Content-Type"), answer.contentType},
                         {QByteArrayLiteral("Cache-Control"), noStore},
                         {QByteArrayLiteral("WWW-Authenticate"),
                          QByteArrayLiteral("Bearer realm=\"lumivod\"")}},
                        status);
        return;
    }
    responder.write(answer.body,
                    {{QByteArrayLiteral("Content-Type"), answer.contentType},
                     {QByteArrayLiteral("Cache-Control"), noStore}},
                    status);
}

} // namespace

HttpAdapter::HttpAdapter(SignService& service, QObject* parent)
    : QObject(parent), m_service(service), m_server(std::make_unique<QHttpServer>()) {
    // Every path goes to the service, which answers at once or when the transfer it waits for
    // has ended. The responder is kept until then; the connection is watched, so an answer for a
    // client that has gone is dropped rather than written to a closed socket.
    m_server->route(QStringLiteral("/<arg>"), [this](const QUrl&, const QHttpServerRequest& request,
                                                     QHttpServerResponder&& responder) {
        auto kept = std::make_shared<QHttpServerResponder>(std::move(responder));
        QPointer<QTcpSocket> socket = kept->socket();
        m_service.handle(ToApiRequest(request), [kept, socket](ApiAnswer answer) {
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
    return m_server->listen(address, port);
}

} // namespace lumivo::service
