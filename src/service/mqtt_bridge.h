#pragma once

#include "service/api.h"
#include "service/command_queue.h"
#include "service/mqtt_client.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace lumivo::service {

// Commands waiting for one busy sign, beyond which new ones are refused.
inline constexpr std::size_t kMaxWaitingPerSign = 32;

// "HOST:PORT" of --mqtt; "[v6]:PORT" for an IPv6 address.
std::optional<std::pair<QString, int>> ParseBrokerAddress(const QString& text);

// The broker connection the settings' [MQTT] section asks for (host, port, user, password, tls,
// client_id), with `override` ("HOST:PORT" of --mqtt) taking the place of host and port. Nothing
// when no host is given either way: MQTT is off.
std::optional<MqttConnection>
ReadMqttConnection(const QString& settingsFile,
                   const std::optional<std::pair<QString, int>>& override);

// The service's signs over MQTT: takes the command topics of every sign and group, runs them
// through the service one at a time per sign (the others wait in a CommandQueue), and publishes
// each sign's state, the availability of this lumivod and the discovery configs of each sign.
// Lives on the service's thread.
class MqttBridge final : public QObject {
    Q_OBJECT
public:
    MqttBridge(SignService& service, QByteArray token, MqttConnection connection,
               std::function<void(const QString&)> log, QObject* parent = nullptr);
    ~MqttBridge() override;

    void start();
    // The sign list was read again: configs of signs gone are cleared, new ones published.
    void signsReloaded();
    // Publishes "offline" and disconnects, waiting at most `boundMs`.
    void stop(int boundMs);
    // One message as the client hands it over, on the service's thread: read, checked, then run
    // or queued for each sign it names.
    void messageArrived(const QByteArray& topic, const QByteArray& payload);
    // No command runs or waits for any sign.
    bool idle() const { return m_queue.empty(); }

private:
    struct Target {
        QString name;
        bool group = false;
        QStringList signs;
    };

    void readSigns();
    void connected();
    void run(const QueuedCommand& command);
    void commandEnded(const QueuedCommand& command, const ApiAnswer& answer);
    void refuse(const QString& level, const QString& origin, const QString& field,
                const QString& message);
    void publishState(const QString& sign);
    void publishDiscovery(const QString& sign, bool clear);
    QByteArray availabilityTopic() const;
    ApiAnswer ask(const QByteArray& method, const QString& path, const QByteArray& body = {});

    SignService& m_service;
    QByteArray m_token;
    MqttConnection m_connection;
    std::function<void(const QString&)> m_log;
    CommandQueue m_queue{kMaxWaitingPerSign};
    QStringList m_signs;                 // the listed signs' names
    std::map<QString, Target> m_targets; // by name in lower case: signs, then groups
    std::unique_ptr<MqttClient> m_client;
};

// Starts MQTT when the settings or --mqtt ask for it; otherwise logs that it is off.
std::unique_ptr<MqttBridge> StartMqtt(SignService& service, const ServiceSetup& setup,
                                      const std::optional<std::pair<QString, int>>& override);

} // namespace lumivo::service
