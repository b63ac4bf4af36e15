#pragma once

#include "service/api.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QHttpServer;

namespace lumivo::service {

// The one file that knows the HTTP server library: it turns each request into an ApiRequest for
// the service and the service's ApiAnswer into the response, so a change of that library's API
// touches this file alone. The server runs on the thread that makes it, answering every
// connection from its event loop: a connection that sends nothing, or slowly, holds no one else.
class HttpAdapter final : public QObject {
    Q_OBJECT
public:
    HttpAdapter(SignService& service, QObject* parent = nullptr);
    ~HttpAdapter() override;

    // Listens on the address and port (0: a free one); the port listened on, or 0 when the
    // address cannot be listened on.
    quint16 listen(const QHostAddress& address, quint16 port);

private:
    SignService& m_service;
    std::unique_ptr<QHttpServer> m_server;
};

} // namespace lumivo::service
