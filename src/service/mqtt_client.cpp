#include "service/mqtt_client.h"

#include <QMetaObject>
#include <QPointer>

#include <mqtt/async_client.h>

#include <algorithm>
#include <chrono>

namespace lumivo::service {

namespace {

// The first try after a lost connection comes soon, as a broker that restarts is back within
// a moment; then the pause doubles.
constexpr int kFirstPauseMs = 250;
constexpr int kMaxPauseMs = 60000;
constexpr int kQos = 1;

} // namespace

class MqttClient::Library final : public mqtt::iaction_listener {
public:
    Library(MqttClient& owner, const std::string& uri, const std::string& clientId)
        : m_owner(&owner), m_client(uri, clientId, nullptr) {}

    // Runs on the library's thread: hands the failure to the owner's thread.
    void on_failure(const mqtt::token& token) override {
        const QString reason = token.get_return_code() != 0
                                   ? QStringLiteral("code %1").arg(token.get_return_code())
                                   : QStringLiteral("no answer");
        QMetaObject::invokeMethod(
            m_owner.data(),
            [owner = m_owner, reason] {
                if (owner)
                    owner->connectFailed(reason);
            },
            Qt::QueuedConnection);
    }
    void on_success(const mqtt::token&) override {}

    QPointer<MqttClient> m_owner;
    mqtt::async_client m_client;
};

MqttClient::MqttClient(MqttConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::tryConnect);
    const std::string uri = (m_connection.tls ? std::string("ssl://") : std::string("tcp://")) +
                            m_connection.host.toStdString() + ":" +
                            std::to_string(m_connection.port);
    m_library = std::make_unique<Library>(*this, uri, m_connection.clientId.toStdString());
    QPointer<MqttClient> self(this);
    m_library->m_client.set_connected_handler([self](const std::string&) {
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self)
                    self->wasConnected();
            },
            Qt::QueuedConnection);
    });
    m_library->m_client.set_connection_lost_handler([self](const std::string& cause) {
        const QString reason =
            cause.empty() ? QStringLiteral("connection lost") : QString::fromStdString(cause);
        QMetaObject::invokeMethod(
            self.data(),
            [self, reason] {
                if (self)
                    self->connectFailed(reason);
            },
            Qt::QueuedConnection);
    });
    m_library->m_client.set_message_callback([self](mqtt::const_message_ptr message) {
        const std::string& topic = message->get_topic();
        const mqtt::binary& payload = message->get_payload();
        QByteArray topicBytes(topic.data(), static_cast<qsizetype>(topic.size()));
        QByteArray payloadBytes(payload.data(), static_cast<qsizetype>(payload.size()));
        QMetaObject::invokeMethod(
            self.data(),
            [self, topicBytes, payloadBytes] {
                if (self) {
                    Q_EMIT self->messageArrived(topicBytes, payloadBytes);
                }
            },
            Qt::QueuedConnection);
    });
}

MqttClient::~MqttClient() {
    // The library's threads end here, before this object goes: no callback outlives it.
    m_library.reset();
}

QString MqttClient::where() const {
    return QStringLiteral("%1:%2").arg(m_connection.host).arg(m_connection.port);
}

void MqttClient::start() {
    tryConnect();
}

void MqttClient::tryConnect() {
    if (m_stopping) {
        return;
    }
    mqtt::connect_options options;
    options.set_clean_session(false);
    options.set_keep_alive_interval(std::chrono::seconds(20));
    options.set_connect_timeout(std::chrono::seconds(10));
    options.set_automatic_reconnect(false); // the pause is kept here, to log every try
    options.set_will(
        mqtt::will_options(m_connection.willTopic.toStdString(), "offline", 7, kQos, true));
    if (!m_connection.user.isEmpty()) {
        options.set_user_name(m_connection.user.toStdString());
        options.set_password(m_connection.password.toStdString());
    }
    if (m_connection.tls) {
        mqtt::ssl_options tls;
        tls.set_enable_server_cert_auth(true);
        tls.set_verify(true);
        options.set_ssl(tls);
    }
    try {
        m_library->m_client.connect(options, nullptr, *m_library);
    } catch (const mqtt::exception& error) {
        connectFailed(QString::fromStdString(error.what()));
    }
}

void MqttClient::wasConnected() {
    m_pauseMs = kFirstPauseMs;
    try {
        for (const QByteArray& filter : m_connection.subscribe.split(',')) {
            m_library->m_client.subscribe(filter.toStdString(), kQos);
        }
    } catch (const mqtt::exception& error) {
        connectFailed(QString::fromStdString(error.what()));
        return;
    }
    Q_EMIT connected();
}

void MqttClient::subscribe(const QByteArray& filters) {
    const QList<QByteArray> before = m_connection.subscribe.split(',');
    m_connection.subscribe = filters;
    if (!m_library->m_client.is_connected()) {
        return;
    }
    try {
        for (const QByteArray& filter : filters.split(',')) {
            if (!before.contains(filter)) {
                m_library->m_client.subscribe(filter.toStdString(), kQos);
            }
        }
    } catch (const mqtt::exception& error) {
        connectFailed(QString::fromStdString(error.what()));
    }
}

void MqttClient::connectFailed(const QString& reason) {
    if (m_stopping || m_retry.isActive()) {
        return;
    }
    const int pause = m_pauseMs;
    m_pauseMs = std::min(m_pauseMs * 2, kMaxPauseMs);
    m_retry.start(pause);
    Q_EMIT disconnected(reason, pause);
}

bool MqttClient::publish(const QByteArray& topic, const QByteArray& payload, bool retained) {
    if (!m_library->m_client.is_connected()) {
        return false;
    }
    try {
        m_library->m_client.publish(topic.toStdString(), payload.constData(),
                                    static_cast<std::size_t>(payload.size()), kQos, retained);
    } catch (const mqtt::exception&) {
        return false;
    }
    return true;
}

void MqttClient::stop(const QByteArray& topic, const QByteArray& payload, int boundMs) {
    m_stopping = true;
    m_retry.stop();
    if (!m_library->m_client.is_connected()) {
        return;
    }
    try {
        m_library->m_client
            .publish(topic.toStdString(), payload.constData(),
                     static_cast<std::size_t>(payload.size()), kQos, true)
            ->wait_for(std::chrono::milliseconds(boundMs / 2));
        m_library->m_client.disconnect(boundMs / 2)
            ->wait_for(std::chrono::milliseconds(boundMs / 2));
    } catch (const mqtt::exception&) {
        // The broker is gone: it publishes the last will instead.
    }
}

} // namespace lumivo::service
