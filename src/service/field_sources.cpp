#include "service/field_sources.h"

#include "core/file_io.h"
#include "core/line_fields.h"
#include "core/settings_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace lumivo::service {

namespace {

constexpr char kFieldSection[] = "Field ";

std::optional<int> ReadBounded(const SettingsFile& file, const std::string& section,
                               const char* key, int fallback, int lowest, int highest,
                               const QString& name, QStringList& problems) {
    const std::optional<std::string> text = file.readString(section, key);
    if (!text) {
        return fallback;
    }
    const std::optional<int> value = ParseIniInt(*text);
    if (!value || *value < lowest || *value > highest) {
        problems.append(QStringLiteral("field \"%1\": %2 takes a whole number from %3 to %4")
                            .arg(name, QString::fromLatin1(key))
                            .arg(lowest)
                            .arg(highest));
        return std::nullopt;
    }
    return *value;
}

// The value at a JSON pointer ("/a/0/b", with "~1" for '/' and "~0" for '~'); nothing when the
// pointer names nothing there.
std::optional<QJsonValue> AtPointer(QJsonValue value, const QString& pointer) {
    if (pointer.isEmpty()) {
        return value;
    }
    if (!pointer.startsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    for (QString token : pointer.mid(1).split(QLatin1Char('/'))) {
        token.replace(QStringLiteral("~1"), QStringLiteral("/"));
        token.replace(QStringLiteral("~0"), QStringLiteral("~"));
        if (value.isObject()) {
            const QJsonObject object = value.toObject();
            if (!object.contains(token)) {
                return std::nullopt;
            }
            value = object.value(token);
        } else if (value.isArray()) {
            bool number = false;
            const int index = token.toInt(&number);
            const QJsonArray array = value.toArray();
            if (!number || index < 0 || index >= array.size()) {
                return std::nullopt;
            }
            value = array.at(index);
        } else {
            return std::nullopt;
        }
    }
    return value;
}

FetchOutcome Failed(QString error) {
    return FetchOutcome{false, {}, std::move(error)};
}

FetchOutcome JsonValueOutcome(const QByteArray& body, const QString& pointer) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        return Failed(QStringLiteral("the answer is not JSON: %1").arg(error.errorString()));
    }
    const QJsonValue whole =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    const std::optional<QJsonValue> value = AtPointer(whole, pointer);
    if (!value) {
        return Failed(QStringLiteral("the answer holds nothing at %1").arg(pointer));
    }
    if (value->isString()) {
        return FetchOutcome{true, value->toString().toUtf8().toStdString(), {}};
    }
    if (value->isDouble()) {
        const double number = value->toDouble();
        const QString text = std::floor(number) == number && std::abs(number) < 1e15
                                 ? QString::number(static_cast<qint64>(number))
                                 : QString::number(number, 'g', 10);
        return FetchOutcome{true, text.toStdString(), {}};
    }
    if (value->isBool()) {
        return FetchOutcome{true, value->toBool() ? "true" : "false", {}};
    }
    return Failed(QStringLiteral("the value at %1 is not a string, number or true/false")
                      .arg(pointer.isEmpty() ? QStringLiteral("the top") : pointer));
}

} // namespace

FieldSettings ReadFieldSettings(const QString& settingsFile) {
    const SettingsFile file(settingsFile.toStdString());
    FieldSettings settings;
    QStringList& problems = settings.problems;
    if (const std::optional<int> interval = ReadBounded(
            file, "Service", "min_interval", 10, 1, 86400, QStringLiteral("[Service]"), problems)) {
        settings.minIntervalMs = *interval * 1000;
    }
    for (const std::string& section : file.sectionNames()) {
        if (section.size() <= sizeof(kFieldSection) - 1 ||
            section.compare(0, sizeof(kFieldSection) - 1, kFieldSection) != 0) {
            continue;
        }
        FieldDefinition field;
        field.name = QString::fromStdString(section.substr(sizeof(kFieldSection) - 1)).trimmed();
        const std::string name = field.name.toStdString();
        const bool named =
            !name.empty() && LineTemplate::Parse("{" + name + "}").value().fieldNames() ==
                                 std::vector<std::string>{name};
        if (!named || IsClockField(name)) {
            problems.append(QStringLiteral("[%1]: a field's name is letters, digits, '_' and "
                                           "'-', starting with a letter, and not time or date")
                                .arg(QString::fromStdString(section)));
            continue;
        }
        const auto read = [&](const char* key) {
            return QString::fromStdString(file.readString(section, key).value_or(std::string()));
        };
        const QString source = read("source");
        bool good = true;
        const auto need = [&](const char* key, QString& into) {
            into = read(key);
            if (into.isEmpty()) {
                problems.append(QStringLiteral("field \"%1\": source=%2 needs %3")
                                    .arg(field.name, source, QString::fromLatin1(key)));
                good = false;
            }
        };
        if (source == QStringLiteral("file")) {
            field.kind = FieldDefinition::Kind::File;
            need("path", field.path);
        } else if (source == QStringLiteral("command")) {
            field.kind = FieldDefinition::Kind::Command;
            need("program", field.program);
            field.arguments = QProcess::splitCommand(read("arguments"));
        } else if (source == QStringLiteral("http")) {
            field.kind = FieldDefinition::Kind::Http;
            need("url", field.url);
            field.pointer = read("pointer");
            const QUrl url(field.url);
            if (good && (!url.isValid() || (url.scheme() != QStringLiteral("http") &&
                                            url.scheme() != QStringLiteral("https")))) {
                problems.append(QStringLiteral("field \"%1\": url takes an http:// or https:// "
                                               "address")
                                    .arg(field.name));
                good = false;
            }
        } else if (source == QStringLiteral("mqtt")) {
            field.kind = FieldDefinition::Kind::Mqtt;
            QString topic;
            need("topic", topic);
            field.topic = topic.toUtf8();
            // One topic, never a filter: the broker's subscriptions are one comma-separated list.
            if (good && (topic.contains(QLatin1Char('+')) || topic.contains(QLatin1Char('#')) ||
                         topic.contains(QLatin1Char(',')) || field.topic.size() > 1024)) {
                problems.append(QStringLiteral("field \"%1\": topic takes one topic of at most "
                                               "1024 bytes, without +, # or ','")
                                    .arg(field.name));
                good = false;
            }
        } else {
            problems.append(QStringLiteral("field \"%1\": source takes file, command, http or mqtt")
                                .arg(field.name));
            continue;
        }
        const auto refresh =
            ReadBounded(file, section, "refresh", 60, 1, 86400, field.name, problems);
        const auto timeout = ReadBounded(file, section, "timeout", 5, 1, 300, field.name, problems);
        const auto bytes =
            ReadBounded(file, section, "max_bytes", 65536, 1, 1024 * 1024, field.name, problems);
        const auto chars =
            ReadBounded(file, section, "max_length", 100, 1, 1000, field.name, problems);
        if (!good || !refresh || !timeout || !bytes || !chars) {
            continue;
        }
        field.refreshMs = *refresh * 1000;
        field.timeoutMs = *timeout * 1000;
        field.maxBytes = *bytes;
        field.maxChars = static_cast<std::size_t>(*chars);
        settings.fields.push_back(std::move(field));
    }
    return settings;
}

Bytes FirstLine(const Bytes& bytes) {
    const std::size_t end = bytes.find_first_of("\r\n");
    return end == Bytes::npos ? bytes : bytes.substr(0, end);
}

struct FieldBoard::Entry {
    FieldDefinition definition;
    FieldValue value;
    QTimer* timer = nullptr;
    bool fetching = false;
};

FieldBoard::FieldBoard(Now now, QObject* parent)
    : QObject(parent), m_now(now ? std::move(now) : [] { return QDateTime::currentDateTimeUtc(); }),
      m_network(new QNetworkAccessManager(this)) {}

FieldBoard::~FieldBoard() {
    *m_alive = false;
    // File reads are bounded and never block on a FIFO, so this wait is short.
    QThreadPool::globalInstance()->waitForDone(2000);
}

void FieldBoard::setDefinitions(std::vector<FieldDefinition> definitions) {
    std::map<QString, std::unique_ptr<Entry>> old = std::move(m_entries);
    m_entries.clear();
    for (FieldDefinition& definition : definitions) {
        auto entry = std::make_unique<Entry>();
        if (const auto kept = old.find(definition.name); kept != old.end()) {
            entry->value = kept->second->value;
        }
        entry->definition = std::move(definition);
        const QString name = entry->definition.name;
        // An mqtt field is not fetched: its value comes with each message of its topic.
        const bool fetched = entry->definition.kind != FieldDefinition::Kind::Mqtt;
        m_entries[name] = std::move(entry);
        if (!fetched) {
            continue;
        }
        Entry& kept = *m_entries[name];
        kept.timer = new QTimer(this);
        kept.timer->setInterval(kept.definition.refreshMs);
        connect(kept.timer, &QTimer::timeout, this, [this, name] { fetch(name); });
        kept.timer->start();
        QTimer::singleShot(0, this, [this, name] { fetch(name); });
    }
    for (auto& [name, entry] : old) {
        delete entry->timer;
    }
}

bool FieldBoard::has(const std::string& name) const {
    return m_entries.count(QString::fromStdString(name)) != 0;
}

const FieldValue* FieldBoard::value(const std::string& name) const {
    const auto it = m_entries.find(QString::fromStdString(name));
    return it == m_entries.end() ? nullptr : &it->second->value;
}

void FieldBoard::record(const QString& name, const FetchOutcome& outcome) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end()) {
        return;
    }
    Entry& entry = *it->second;
    entry.fetching = false;
    FieldValue before = entry.value;
    if (outcome.ok) {
        entry.value.value = SafeFieldValue(FirstLine(outcome.raw), entry.definition.maxChars);
        entry.value.ok = true;
        entry.value.error.clear();
        entry.value.updated = m_now();
    } else {
        entry.value.ok = false;
        entry.value.error = outcome.error;
    }
    if (before.value != entry.value.value || before.ok != entry.value.ok ||
        before.error != entry.value.error) {
        Q_EMIT changed(name);
    }
}

void FieldBoard::fetch(const QString& name) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end() || it->second->fetching) {
        return;
    }
    Entry& entry = *it->second;
    entry.fetching = true;
    switch (entry.definition.kind) {
    case FieldDefinition::Kind::File:
        fetchFile(entry);
        break;
    case FieldDefinition::Kind::Command:
        fetchCommand(entry);
        break;
    case FieldDefinition::Kind::Http:
        fetchHttp(entry);
        break;
    case FieldDefinition::Kind::Mqtt:
        entry.fetching = false;
        break;
    }
}

QList<QByteArray> FieldBoard::mqttTopics() const {
    QList<QByteArray> topics;
    for (const auto& [name, entry] : m_entries) {
        if (entry->definition.kind == FieldDefinition::Kind::Mqtt &&
            !topics.contains(entry->definition.topic)) {
            topics.append(entry->definition.topic);
        }
    }
    return topics;
}

bool FieldBoard::takeMqtt(const QByteArray& topic, const QByteArray& payload) {
    QStringList names;
    for (const auto& [name, entry] : m_entries) {
        if (entry->definition.kind == FieldDefinition::Kind::Mqtt &&
            entry->definition.topic == topic) {
            names.append(name);
        }
    }
    for (const QString& name : names) {
        const qsizetype bound = m_entries[name]->definition.maxBytes;
        record(name, payload.size() > bound
                         ? Failed(QStringLiteral("the payload is %1 bytes; at most %2 are taken")
                                      .arg(payload.size())
                                      .arg(bound))
                         : FetchOutcome{true, payload.toStdString(), {}});
    }
    return !names.isEmpty();
}

void FieldBoard::failMqtt(const QString& error) {
    QStringList names;
    for (const auto& [name, entry] : m_entries) {
        if (entry->definition.kind == FieldDefinition::Kind::Mqtt) {
            names.append(name);
        }
    }
    for (const QString& name : names) {
        record(name, Failed(error));
    }
}

void FieldBoard::fetchFile(Entry& entry) {
    const std::filesystem::path path = entry.definition.path.toStdString();
    const auto maxBytes = static_cast<std::size_t>(entry.definition.maxBytes);
    const QString name = entry.definition.name;
    // ReadWholeFile opens without waiting and takes regular files only; on a pool thread, a slow
    // disk never holds up the service.
    QThreadPool::globalInstance()->start([this, alive = m_alive, path, maxBytes, name] {
        const Result<Bytes> read = ReadWholeFile(path, maxBytes);
        const FetchOutcome outcome = read ? FetchOutcome{true, *read, {}}
                                          : Failed(QString::fromStdString(read.error().message));
        // The board waits for the pool before it goes, so it is alive here.
        QMetaObject::invokeMethod(
            this,
            [this, alive, name, outcome] {
                if (*alive) {
                    record(name, outcome);
                }
            },
            Qt::QueuedConnection);
    });
}

void FieldBoard::fetchCommand(Entry& entry) {
    const FieldDefinition& definition = entry.definition;
    auto* process = new QProcess(this);
    auto* limit = new QTimer(process);
    auto output = std::make_shared<QByteArray>();
    auto failure = std::make_shared<QString>();
    const QString name = definition.name;
    const qsizetype maxBytes = definition.maxBytes;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, process, [process, failure, definition] {
        *failure = QStringLiteral("the command ran longer than %1 s and was stopped")
                       .arg(definition.timeoutMs / 1000);
        process->kill();
    });
    connect(process, &QProcess::readyReadStandardOutput, process,
            [process, output, failure, maxBytes] {
                output->append(process->read(maxBytes + 1 - output->size()));
                if (output->size() > maxBytes && failure->isEmpty()) {
                    *failure = QStringLiteral("the command printed more than %1 bytes and was "
                                              "stopped")
                                   .arg(maxBytes);
                    process->kill();
                }
            });
    connect(process, &QProcess::finished, this,
            [this, process, output, failure, name](int code, QProcess::ExitStatus status) {
                process->deleteLater();
                if (!failure->isEmpty()) {
                    record(name, Failed(*failure));
                } else if (status != QProcess::NormalExit) {
                    record(name, Failed(QStringLiteral("the command crashed")));
                } else if (code != 0) {
                    record(name,
                           Failed(QStringLiteral("the command ended with status %1").arg(code)));
                } else {
                    record(name, FetchOutcome{true, output->toStdString(), {}});
                }
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, name](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    process->deleteLater();
                    record(name, Failed(QStringLiteral("the command could not be started: %1")
                                            .arg(process->errorString())));
                }
            });
    limit->start(definition.timeoutMs);
    process->start(definition.program, definition.arguments, QIODevice::ReadOnly);
}

void FieldBoard::fetchHttp(Entry& entry) {
    const FieldDefinition& definition = entry.definition;
    QNetworkRequest request{QUrl(definition.url)};
    request.setTransferTimeout(definition.timeoutMs);
    request.setMaximumRedirectsAllowed(3);
    request.setRawHeader("Accept", "application/json");
    QNetworkReply* reply = m_network->get(request);
    auto tooLarge = std::make_shared<bool>(false);
    const qint64 maxBytes = definition.maxBytes;
    const auto checkSize = [reply, tooLarge, maxBytes] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply->bytesAvailable() > maxBytes ||
            (length.isValid() && length.toLongLong() > maxBytes)) {
            *tooLarge = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, checkSize);
    connect(reply, &QIODevice::readyRead, reply, checkSize);
    connect(
        reply, &QNetworkReply::finished, this,
        [this, reply, tooLarge, maxBytes, name = definition.name, pointer = definition.pointer,
         timeoutMs = definition.timeoutMs] {
            reply->deleteLater();
            if (*tooLarge) {
                record(name,
                       Failed(QStringLiteral("the answer is larger than %1 bytes").arg(maxBytes)));
                return;
            }
            if (reply->error() == QNetworkReply::OperationCanceledError) {
                record(name, Failed(QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000)));
                return;
            }
            if (reply->error() != QNetworkReply::NoError) {
                record(name, Failed(reply->errorString()));
                return;
            }
            const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            const QByteArray media = type.split(';').front().trimmed().toLower();
            if (media != "application/json" && !media.endsWith("+json")) {
                record(name, Failed(QStringLiteral("the answer is %1, not JSON")
                                        .arg(media.isEmpty() ? QStringLiteral("untyped")
                                                             : QString::fromLatin1(media))));
                return;
            }
            record(name, JsonValueOutcome(reply->readAll(), pointer));
        });
}

} // namespace lumivo::service
