#pragma once

#include "core/bytes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QTimer;

namespace lumivo::service {

// A field as the administrator declares it in the service's settings, section [Field NAME].
struct FieldDefinition {
    enum class Kind { File, Command, Http, Mqtt };
    QString name;
    Kind kind = Kind::File;
    QString path;               // file: the file whose first line is the value
    QString program;            // command: run without a shell
    QStringList arguments;      // command: the argument list, split as the settings give it
    QString url;                // http: http:// or https:// only
    QString pointer;            // http: the JSON pointer of the value ("/main/temp"), "" the whole
    QByteArray topic;           // mqtt: the topic whose last payload is the value (no wildcards)
    int refreshMs = 60000;      // how often the value is fetched again
    int timeoutMs = 5000;       // command and http: the time a fetch may take
    int maxBytes = 65536;       // what a fetch may read at most
    std::size_t maxChars = 100; // the value's characters after the value rule
};

// The value of a fetch: the raw bytes (the value rule is applied afterwards) or why it failed.
struct FetchOutcome {
    bool ok = false;
    Bytes raw;
    QString error;
};

// The settings' [Field NAME] sections read and checked; each problem names the field and key.
struct FieldSettings {
    std::vector<FieldDefinition> fields;
    QStringList problems;
    int minIntervalMs = 10000; // [Service] min_interval, in seconds in the file
};
FieldSettings ReadFieldSettings(const QString& settingsFile);

// The first line of the bytes, without its line end.
Bytes FirstLine(const Bytes& bytes);

// A field's current value, as the sign's state shows it.
struct FieldValue {
    std::optional<Bytes> value; // made safe; empty until the first success
    bool ok = false;
    QString error;
    QDateTime updated; // the last success
};

// The fields of the settings and their values, each fetched on its refresh interval without
// blocking the service's thread: files are read on a pool thread, commands run through QProcess
// and HTTP through QNetworkAccessManager, all with time and size bounds. A failed fetch keeps the
// last value and records the error.
class FieldBoard final : public QObject {
    Q_OBJECT
public:
    using Now = std::function<QDateTime()>;
    explicit FieldBoard(Now now, QObject* parent = nullptr);
    ~FieldBoard() override;

    // Replaces the declared fields (values of fields kept by name stay) and starts fetching.
    void setDefinitions(std::vector<FieldDefinition> definitions);
    bool has(const std::string& name) const;
    const FieldValue* value(const std::string& name) const;
    // Records a fetch's outcome (the value rule applied); what every source ends in, and what a
    // test calls to set a value directly.
    void record(const QString& name, const FetchOutcome& outcome);
    // Fetches a field now (unless a fetch of it still runs).
    void fetch(const QString& name);
    // The topics of the mqtt fields, each once.
    QList<QByteArray> mqttTopics() const;
    // A payload of a topic: the value of each mqtt field of that topic, or a failure when it is
    // larger than the field's max_bytes. False when no field takes the topic.
    bool takeMqtt(const QByteArray& topic, const QByteArray& payload);
    // Marks every mqtt field failed with `error` (there is no broker to take its topic from).
    void failMqtt(const QString& error);

Q_SIGNALS:
    void changed(const QString& name);

private:
    struct Entry;
    void fetchFile(Entry& entry);
    void fetchCommand(Entry& entry);
    void fetchHttp(Entry& entry);

    Now m_now;
    std::map<QString, std::unique_ptr<Entry>> m_entries;
    QNetworkAccessManager* m_network = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace lumivo::service
