#include "service/mqtt_topics.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringDecoder>

namespace lumivo::service {

namespace {

bool KeptInLevel(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1; // lower-case hex is not made by TopicLevel, so it names nothing
}

std::optional<QString> StrictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

Refusal Refused(const QString& field, const QString& message) {
    return Refusal{400, field, message};
}

QByteArray Body(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// alert/set takes the body of POST .../alerts (a JSON object) or a plain text, the alert's
// text; alert/end takes an alert's id, or nothing for every alert of the sign.
std::optional<Refusal> ReadAlertMessage(bool set, const QString& text, const QByteArray& payload,
                                        TopicCommand& command) {
    if (set) {
        command.action = QStringLiteral("alerts");
        command.slot = QStringLiteral("alert ") + text;
        if (!text.trimmed().startsWith(QLatin1Char('{'))) {
            command.body = Body(QJsonObject{{QStringLiteral("text"), text}});
            return std::nullopt;
        }
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            return Refused(QStringLiteral("payload"),
                           QStringLiteral("a payload that starts with '{' must be a JSON object: "
                                          "{\"text\", \"letter\", \"priority\", \"expires\"}"));
        }
        command.body = payload; // checked as the HTTP body is, when it runs
        return std::nullopt;
    }
    const QString id = text.trimmed();
    bool number = false;
    (void)id.toULongLong(&number);
    if (!id.isEmpty() && (!number || id.startsWith(QLatin1Char('+')))) {
        return Refused(QStringLiteral("alert"),
                       QStringLiteral("alert/end takes an alert's id, or nothing for every alert"));
    }
    command.action =
        id.isEmpty() ? QStringLiteral("alerts/end") : QStringLiteral("alerts/%1/end").arg(id);
    command.slot = QStringLiteral("alert end ") + id;
    return std::nullopt;
}

} // namespace

QString TopicLevel(const QString& name) {
    static const char kHex[] = "0123456789ABCDEF";
    QString level;
    for (const char c : name.toUtf8()) {
        if (KeptInLevel(c)) {
            level.append(QLatin1Char(c));
        } else {
            const auto byte = static_cast<unsigned char>(c);
            level.append(QLatin1Char('%'));
            level.append(QLatin1Char(kHex[byte >> 4]));
            level.append(QLatin1Char(kHex[byte & 0xF]));
        }
    }
    return level;
}

std::optional<QString> NameOfLevel(const QString& level) {
    QByteArray bytes;
    for (qsizetype i = 0; i < level.size(); ++i) {
        const QChar c = level[i];
        if (c == QLatin1Char('%') && i + 2 < level.size() && HexValue(level[i + 1]) >= 0 &&
            HexValue(level[i + 2]) >= 0) {
            const int byte = HexValue(level[i + 1]) * 16 + HexValue(level[i + 2]);
            if (KeptInLevel(static_cast<char>(byte))) {
                return std::nullopt; // written out where it stands for itself
            }
            bytes.append(static_cast<char>(byte));
            i += 2;
        } else if (c.unicode() < 0x80 && KeptInLevel(static_cast<char>(c.unicode()))) {
            bytes.append(static_cast<char>(c.unicode()));
        } else {
            return std::nullopt;
        }
    }
    std::optional<QString> name = StrictUtf8(bytes);
    if (!name || name->isEmpty()) {
        return std::nullopt;
    }
    return name;
}

QString IdentifierOf(const QString& name) {
    static const char kHex[] = "0123456789abcdef";
    QString id;
    for (const char c : name.toLower().toUtf8()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            id.append(QLatin1Char(c));
        } else {
            const auto byte = static_cast<unsigned char>(c);
            id.append(QLatin1Char('_'));
            id.append(QLatin1Char(kHex[byte >> 4]));
            id.append(QLatin1Char(kHex[byte & 0xF]));
        }
    }
    return id;
}

std::optional<std::variant<TopicCommand, Refusal>> ReadCommandMessage(const QByteArray& topic,
                                                                      const QByteArray& payload) {
    const QList<QByteArray> levels = topic.split('/');
    if (levels.size() < 4 || levels[0] != "lumivo") {
        return std::nullopt;
    }
    const QByteArray& what = levels[2];
    const bool page = what == "page" && levels.size() == 5 && levels.back() == "set";
    const bool alert =
        what == "alert" && levels.size() == 4 && (levels[3] == "set" || levels[3] == "end");
    if (!page && !alert &&
        !((what == "brightness" || what == "clock") && levels.size() == 4 && levels[3] == "set")) {
        return std::nullopt;
    }
    const std::optional<QString> levelText = StrictUtf8(levels[1]);
    const std::optional<QString> target = levelText ? NameOfLevel(*levelText) : std::nullopt;
    if (!target) {
        return Refused(QStringLiteral("topic"),
                       QStringLiteral("the sign or group level is not a name as lumivod writes "
                                      "it (letters, digits, - _ . ~ and %XX)"));
    }
    const qsizetype bound = page || alert ? kMaxPagePayloadBytes : kMaxShortPayloadBytes;
    if (payload.size() > bound) {
        return Refused(QStringLiteral("payload"),
                       QStringLiteral("the payload is %1 bytes; at most %2 are taken")
                           .arg(payload.size())
                           .arg(bound));
    }
    const std::optional<QString> text = StrictUtf8(payload);
    if (!text) {
        return Refused(QStringLiteral("payload"), QStringLiteral("the payload is not UTF-8"));
    }
    TopicCommand command;
    command.target = *target;
    if (alert) {
        if (auto refused = ReadAlertMessage(levels[3] == "set", *text, payload, command)) {
            return *refused;
        }
    } else if (page) {
        char letter = 0;
        if (auto refused = ReadPageLetter(QString::fromUtf8(levels[3]), letter)) {
            refused->status = 400;
            return *refused;
        }
        std::string line;
        if (auto refused = LineOfText(*text, line)) {
            return *refused;
        }
        command.action = QStringLiteral("pages/%1").arg(QLatin1Char(letter));
        command.body = Body(QJsonObject{{QStringLiteral("text"), *text}});
        command.slot = QStringLiteral("page %1").arg(QLatin1Char(letter));
    } else if (what == "brightness") {
        const QString level = text->trimmed();
        static const QStringList kLevels{QStringLiteral("100"), QStringLiteral("75"),
                                         QStringLiteral("50"), QStringLiteral("25")};
        if (!kLevels.contains(level)) {
            return Refused(QStringLiteral("level"),
                           QStringLiteral("brightness takes 100, 75, 50 or 25"));
        }
        command.action = QStringLiteral("brightness");
        command.body = Body(QJsonObject{{QStringLiteral("level"), level.toInt()}});
        command.slot = command.action;
    } else {
        const QString time = text->trimmed();
        command.action = QStringLiteral("clock");
        command.slot = command.action;
        if (!time.isEmpty() && time.compare(QStringLiteral("now"), Qt::CaseInsensitive) != 0) {
            if (!QDateTime::fromString(time, Qt::ISODate).isValid()) {
                return Refused(QStringLiteral("time"),
                               QStringLiteral("the clock takes \"now\", nothing, or an ISO 8601 "
                                              "date and time, such as 2026-12-24T18:30:00"));
            }
            command.body = Body(QJsonObject{{QStringLiteral("time"), time}});
        }
    }
    return command;
}

} // namespace lumivo::service
