#include "service/mqtt_bridge.h"

#include "core/settings_file.h"
#include "core/version.h"
#include "service/host_port.h"
#include "service/mqtt_topics.h"

#include <QDateTime>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

namespace lumivo::service {

namespace {

constexpr int kDefaultPort = 1883;
const char* const kCommandFilters =
    "lumivo/+/page/+/set,lumivo/+/brightness/set,lumivo/+/clock/set,lumivo/+/alert/set,"
    "lumivo/+/alert/end";

// The command filters and the topics of the mqtt fields, as one subscription list.
QByteArray Subscriptions(const SignService& service) {
    QByteArray filters = kCommandFilters;
    for (const QByteArray& topic : service.fieldTopics()) {
        filters += ',' + topic;
    }
    return filters;
}

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray SignTopic(const QString& sign, const char* tail) {
    return QStringLiteral("lumivo/%1/%2").arg(TopicLevel(sign), QLatin1String(tail)).toUtf8();
}

QString Now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString DefaultClientId() {
    QString host = QHostInfo::localHostName();
    QString id = QStringLiteral("lumivod-");
    for (const QChar c : host) {
        id.append(c.isLetterOrNumber() && c.unicode() < 0x80 ? c : QLatin1Char('-'));
    }
    return id.left(64);
}

} // namespace

std::optional<std::pair<QString, int>> ParseBrokerAddress(const QString& text) {
    const auto split = SplitHostPort(text);
    if (!split || split->second < 1) {
        return std::nullopt;
    }
    return std::make_pair(split->first, static_cast<int>(split->second));
}

std::optional<MqttConnection>
ReadMqttConnection(const QString& settingsFile,
                   const std::optional<std::pair<QString, int>>& override) {
    const SettingsFile settings(settingsFile.toStdString());
    const auto text = [&](const char* key) {
        return QString::fromStdString(settings.readString("MQTT", key).value_or(std::string()))
            .trimmed();
    };
    MqttConnection connection;
    connection.host = text("host");
    connection.port = settings.readInt("MQTT", "port", kDefaultPort);
    if (override) {
        connection.host = override->first;
        connection.port = override->second;
    }
    if (connection.host.isEmpty()) {
        return std::nullopt;
    }
    connection.user = text("user");
    connection.password = text("password");
    connection.tls = settings.readInt("MQTT", "tls", 0) == 1;
    connection.clientId = text("client_id");
    if (connection.clientId.isEmpty()) {
        connection.clientId = DefaultClientId();
    }
    connection.willTopic = QStringLiteral("lumivo/lumivod/%1/availability")
                               .arg(TopicLevel(connection.clientId))
                               .toUtf8();
    connection.subscribe = kCommandFilters;
    return connection;
}

MqttBridge::MqttBridge(SignService& service, QByteArray token, MqttConnection connection,
                       std::function<void(const QString&)> log, QObject* parent)
    : QObject(parent), m_service(service), m_token(std::move(token)),
      m_connection(std::move(connection)), m_log(std::move(log)),
      m_client(std::make_unique<MqttClient>(m_connection)) {
    connect(m_client.get(), &MqttClient::connected, this, &MqttBridge::connected);
    connect(m_client.get(), &MqttClient::disconnected, this,
            [this](const QString& reason, int retryMs) {
                m_log(QStringLiteral("lumivod: MQTT: no connection to %1 (%2); next try in %3 s")
                          .arg(m_client->where(), reason)
                          .arg(retryMs / 1000.0, 0, 'g', 3));
            });
    connect(m_client.get(), &MqttClient::messageArrived, this, &MqttBridge::messageArrived);
    connect(&m_service, &SignService::jobFinished, this, [this](const QStringList& signs) {
        for (const QString& sign : signs) {
            publishState(sign);
        }
    });
    readSigns();
}

MqttBridge::~MqttBridge() = default;

void MqttBridge::start() {
    m_log(QStringLiteral("lumivod: MQTT: connecting to %1 as \"%2\"")
              .arg(m_client->where(), m_connection.clientId));
    m_client->start();
}

void MqttBridge::stop(int boundMs) {
    m_client->stop(availabilityTopic(), QByteArrayLiteral("offline"), boundMs);
}

QByteArray MqttBridge::availabilityTopic() const {
    return m_connection.willTopic;
}

ApiAnswer MqttBridge::ask(const QByteArray& method, const QString& path, const QByteArray& body) {
    ApiAnswer got;
    ApiRequest request{method, path.toUtf8(), {}, "Bearer " + m_token, {}, body};
    m_service.handle(request, [&got](ApiAnswer answer) { got = std::move(answer); });
    return got;
}

void MqttBridge::readSigns() {
    const QJsonObject list =
        QJsonDocument::fromJson(ask("GET", QStringLiteral("/api/signs")).body).object();
    m_signs.clear();
    m_targets.clear();
    std::map<QString, QStringList> groups;
    for (const QJsonValue& value : list.value(QStringLiteral("signs")).toArray()) {
        const QJsonObject sign = value.toObject();
        const QString name = sign.value(QStringLiteral("name")).toString();
        m_signs.append(name);
        m_targets[name.toLower()] = Target{name, false, {name}};
        for (const QJsonValue& group : sign.value(QStringLiteral("groups")).toArray()) {
            groups[group.toString().toLower()].append(name);
        }
    }
    for (const QJsonValue& value : list.value(QStringLiteral("groups")).toArray()) {
        const QString group = value.toString();
        if (m_targets.count(group.toLower()) != 0) {
            m_log(QStringLiteral("lumivod: MQTT: group \"%1\" has the topic level of sign \"%2\"; "
                                 "lumivo/%3/... goes to the sign only")
                      .arg(group, m_targets[group.toLower()].name, TopicLevel(group)));
            continue;
        }
        m_targets[group.toLower()] = Target{group, true, groups[group.toLower()]};
    }
}

void MqttBridge::signsReloaded() {
    m_client->subscribe(Subscriptions(m_service)); // the fields were read again too
    const QStringList before = m_signs;
    readSigns();
    for (const QString& sign : before) {
        if (m_signs.contains(sign)) {
            continue;
        }
        publishDiscovery(sign, true);
        m_client->publish(SignTopic(sign, "state"), {}, true);
        for (const QueuedCommand& dropped : m_queue.forget(sign)) {
            m_log(QStringLiteral("lumivod: MQTT: %1 for \"%2\" not sent: the sign is no longer "
                                 "listed")
                      .arg(dropped.origin, sign));
        }
    }
    for (const QString& sign : m_signs) {
        publishDiscovery(sign, false);
        publishState(sign);
    }
}

void MqttBridge::connected() {
    m_log(QStringLiteral("lumivod: MQTT: connected to %1 as \"%2\"; %3 sign(s)")
              .arg(m_client->where(), m_connection.clientId)
              .arg(m_signs.size()));
    m_client->publish(availabilityTopic(), QByteArrayLiteral("online"), true);
    for (const QString& sign : m_signs) {
        publishDiscovery(sign, false);
        publishState(sign);
    }
}

void MqttBridge::refuse(const QString& level, const QString& origin, const QString& field,
                        const QString& message) {
    m_log(QStringLiteral("%1 MQTT refused %2: %3%4")
              .arg(Now(), origin, field.isEmpty() ? QString() : field + QStringLiteral(": "),
                   message));
    if (!level.isEmpty()) {
        m_client->publish(QStringLiteral("lumivo/%1/refused").arg(level).toUtf8(),
                          Compact(QJsonObject{{QStringLiteral("topic"), origin},
                                              {QStringLiteral("field"), field},
                                              {QStringLiteral("error"), message},
                                              {QStringLiteral("at"), Now()}}),
                          false);
    }
}

void MqttBridge::messageArrived(const QByteArray& topic, const QByteArray& payload) {
    if (m_service.fieldMessage(topic, payload)) {
        return;
    }
    const auto read = ReadCommandMessage(topic, payload);
    if (!read) {
        return;
    }
    const QString origin = QString::fromUtf8(topic.left(200));
    const QString level = QString::fromUtf8(topic.split('/').value(1));
    if (const auto* refused = std::get_if<Refusal>(&*read)) {
        // A level not made by TopicLevel names no sign: only the log hears of it.
        refuse(refused->field == QStringLiteral("topic") ? QString() : level, origin,
               refused->field, refused->message);
        return;
    }
    const auto& command = std::get<TopicCommand>(*read);
    const auto target = m_targets.find(command.target.toLower());
    if (target == m_targets.end()) {
        return; // another lumivod on the same broker may own it
    }
    for (const QString& sign : target->second.signs) {
        QueuedCommand queued{sign, command.action, command.body, command.slot, origin};
        std::optional<QueuedCommand> dropped;
        switch (m_queue.offer(queued, dropped)) {
        case CommandQueue::Offer::Start:
            run(queued);
            break;
        case CommandQueue::Offer::Queued:
            break;
        case CommandQueue::Offer::Replaced:
            m_log(QStringLiteral("%1 MQTT %2 for \"%3\" replaced by a newer one before it was sent")
                      .arg(Now(), dropped->origin, sign));
            break;
        case CommandQueue::Offer::Refused:
            refuse(TopicLevel(sign), origin, QString(),
                   QStringLiteral("%1 commands already wait for \"%2\"")
                       .arg(m_queue.perSign())
                       .arg(sign));
            break;
        }
    }
}

void MqttBridge::run(const QueuedCommand& command) {
    ApiRequest request{
        "POST",
        "/api/signs/" + QUrl::toPercentEncoding(command.sign) + "/" + command.action.toUtf8(),
        {},
        "Bearer " + m_token,
        {},
        command.body};
    QPointer<MqttBridge> self(this);
    m_service.handle(request, [self, command](ApiAnswer answer) {
        if (self) {
            self->commandEnded(command, answer);
        }
    });
}

void MqttBridge::commandEnded(const QueuedCommand& command, const ApiAnswer& answer) {
    if (answer.status != 200) {
        const QJsonObject body = QJsonDocument::fromJson(answer.body).object();
        if (body.contains(QStringLiteral("error"))) { // refused before anything was sent
            refuse(TopicLevel(command.sign), command.origin,
                   body.value(QStringLiteral("field")).toString(),
                   body.value(QStringLiteral("error")).toString());
        }
    }
    if (std::optional<QueuedCommand> next = m_queue.ended(command.sign)) {
        run(*next);
    }
}

void MqttBridge::publishState(const QString& sign) {
    const ApiAnswer answer = ask("GET", QStringLiteral("/api/signs/") +
                                            QString::fromLatin1(QUrl::toPercentEncoding(sign)));
    if (answer.status != 200) {
        return;
    }
    const QJsonObject state =
        QJsonDocument::fromJson(answer.body).object().value(QStringLiteral("state")).toObject();
    m_client->publish(SignTopic(sign, "state"), Compact(state), true);
}

void MqttBridge::publishDiscovery(const QString& sign, bool clear) {
    const QString node = QStringLiteral("lumivo_") + IdentifierOf(m_connection.clientId);
    const QString device = node + QStringLiteral("_") + IdentifierOf(sign);
    const QString base = QStringLiteral("lumivo/") + TopicLevel(sign);
    const QString stateTopic = base + QStringLiteral("/state");
    const QJsonObject deviceJson{{QStringLiteral("identifiers"), QJsonArray{device}},
                                 {QStringLiteral("name"), sign},
                                 {QStringLiteral("manufacturer"), QStringLiteral("Lumivo")},
                                 {QStringLiteral("model"), QStringLiteral("LED sign")},
                                 {QStringLiteral("sw_version"), QString::fromLatin1(kVersion)}};
    const auto entity = [&](const char* component, const char* object, const QString& name,
                            QJsonObject config) {
        const QString id = IdentifierOf(sign) + QStringLiteral("_") + QLatin1String(object);
        const QByteArray topic = QStringLiteral("homeassistant/%1/%2/%3/config")
                                     .arg(QLatin1String(component), node, id)
                                     .toUtf8();
        if (clear) {
            m_client->publish(topic, {}, true);
            return;
        }
        config.insert(QStringLiteral("name"), name);
        config.insert(QStringLiteral("unique_id"),
                      device + QStringLiteral("_") + QLatin1String(object));
        config.insert(QStringLiteral("device"), deviceJson);
        config.insert(QStringLiteral("availability_topic"), QString::fromUtf8(availabilityTopic()));
        config.insert(QStringLiteral("qos"), 1);
        m_client->publish(topic, Compact(config), true);
    };
    // Home Assistant's text entity holds at most 255 characters: a longer page shows cut. A select
    // reads "None" as no option known yet; the attributes of the sensor must be an object.
    entity("text", "message", QStringLiteral("Message"),
           QJsonObject{{QStringLiteral("command_topic"), base + QStringLiteral("/page/A/set")},
                       {QStringLiteral("state_topic"), stateTopic},
                       {QStringLiteral("value_template"),
                        QStringLiteral("{{ value_json.pages.A.text[:255] if value_json.pages.A "
                                       "is defined else '' }}")},
                       {QStringLiteral("max"), 255}});
    entity("select", "brightness", QStringLiteral("Brightness"),
           QJsonObject{{QStringLiteral("command_topic"), base + QStringLiteral("/brightness/set")},
                       {QStringLiteral("state_topic"), stateTopic},
                       {QStringLiteral("value_template"),
                        QStringLiteral("{{ value_json.brightness if value_json.brightness is "
                                       "not none else 'None' }}")},
                       {QStringLiteral("options"),
                        QJsonArray{QStringLiteral("100"), QStringLiteral("75"),
                                   QStringLiteral("50"), QStringLiteral("25")}}});
    entity("button", "set_clock", QStringLiteral("Set clock"),
           QJsonObject{{QStringLiteral("command_topic"), base + QStringLiteral("/clock/set")},
                       {QStringLiteral("payload_press"), QStringLiteral("now")}});
    entity("sensor", "last_outcome", QStringLiteral("Last outcome"),
           QJsonObject{{QStringLiteral("state_topic"), stateTopic},
                       {QStringLiteral("value_template"),
                        QStringLiteral("{% if value_json.last %}{{ value_json.last.text or "
                                       "('sent' if value_json.last.ok else 'failed') }}{% endif "
                                       "%}")},
                       {QStringLiteral("json_attributes_topic"), stateTopic},
                       {QStringLiteral("json_attributes_template"),
                        QStringLiteral("{{ (value_json.last or {}) | tojson }}")}});
}

std::unique_ptr<MqttBridge> StartMqtt(SignService& service, const ServiceSetup& setup,
                                      const std::optional<std::pair<QString, int>>& override) {
    std::optional<MqttConnection> connection = ReadMqttConnection(setup.settingsFile, override);
    if (!connection) {
        setup.log(QStringLiteral("lumivod: MQTT off: no [MQTT] host in %1 and no --mqtt")
                      .arg(setup.settingsFile));
        const QList<QByteArray> topics = service.fieldTopics();
        if (!topics.isEmpty()) {
            const QString error =
                QStringLiteral("source=mqtt needs a broker: [MQTT] host or --mqtt");
            setup.log(QStringLiteral("lumivod: the field(s) of topic(s) %1 get no value: %2")
                          .arg(QString::fromUtf8(topics.join(", ")), error));
            service.fieldsWithoutBroker(error);
        }
        return nullptr;
    }
    connection->subscribe = Subscriptions(service);
    auto bridge =
        std::make_unique<MqttBridge>(service, setup.token, std::move(*connection), setup.log);
    bridge->start();
    return bridge;
}

} // namespace lumivo::service
