#pragma once

#include "service/api.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QHttpServer;

namespace lumivo::service {

// The one file that knows the HTTP server library: it turns each request into an ApiRequest for
// the service and the service's ApiAnswer into the response, so a change of that library's API
// touches this file alone. The server runs on the thread that makes it, answering every
// connection from its event loop: a connection that sends nothing, or slowly, holds no one else.
// Each connection is bounded in what it may send towards one request and in how long it may stay
// without one, and the connections open at once are bounded.
class HttpAdapter final : public QObject {
    Q_OBJECT
public:
    // `log` is told of requests refused before they reach the service (too large, too many
    // connections).
    HttpAdapter(SignService& service, std::function<void(const QString&)> log = {},
                QObject* parent = nullptr);
    ~HttpAdapter() override;

    // Listens on the address and port (0: a free one); the port listened on, or 0 when the
    // address cannot be listened on.
    quint16 listen(const QHostAddress& address, quint16 port);

private:
    SignService& m_service;
    std::unique_ptr<QHttpServer> m_server;
    std::function<void(const QString&)> m_log;
};

} // namespace lumivo::service
