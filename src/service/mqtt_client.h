#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace lumivo::service {

struct MqttConnection {
    QString host;
    int port = 1883;
    QString user;
    QString password;
    bool tls = false;     // TLS, checked against the system's certificate authorities
    QString clientId;     // stable, so the broker keeps the session while lumivod is away
    QByteArray willTopic; // retained "offline" when the connection is lost
    QByteArray subscribe; // topic filters, comma-separated, subscribed at QoS 1 at each connect
};

// The MQTT connection: the one file that knows the client library. The library's callbacks run
// on its own threads; each is handed to this object's thread as a queued call and returns at
// once, so the signals below are always emitted on this object's thread. A connection that
// cannot be made or is lost is tried again after a pause that doubles from 0.25 s up to 60 s.
// The session is persistent (clean session off), so messages at QoS 1 published while the
// client was away are delivered when it is back.
class MqttClient final : public QObject {
    Q_OBJECT
public:
    explicit MqttClient(MqttConnection connection, QObject* parent = nullptr);
    ~MqttClient() override;

    void start();
    // Publishes at QoS 1 without waiting; dropped (false) when there is no connection: every
    // state is published again at the next connect.
    bool publish(const QByteArray& topic, const QByteArray& payload, bool retained);
    // Publishes `payload` on `topic` (retained) and disconnects, waiting at most `boundMs`.
    void stop(const QByteArray& topic, const QByteArray& payload, int boundMs);
    QString where() const;
    // Replaces the topic filters (comma-separated); the new ones are subscribed at once when
    // connected, and all of them at each connect.
    void subscribe(const QByteArray& filters);

Q_SIGNALS:
    void connected();
    void disconnected(const QString& reason, int retryMs);
    void messageArrived(const QByteArray& topic, const QByteArray& payload);

private:
    class Library;
    void tryConnect();
    void connectFailed(const QString& reason);
    void wasConnected();

    MqttConnection m_connection;
    QTimer m_retry;
    int m_pauseMs = 250;
    bool m_stopping = false;
    std::unique_ptr<Library> m_library;
};

} // namespace lumivo::service
