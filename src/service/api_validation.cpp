#include "service/api_validation.h"

#include "signs/sign_commands.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <memory>

namespace lumivo::service {

namespace {

Refusal BadField(const QString& field, const QString& message) {
    return Refusal{400, field, message};
}

} // namespace

std::optional<Refusal> ReadBodyObject(const QByteArray& body, const QStringList& allowed,
                                      bool emptyAllowed, QJsonObject& object) {
    object = QJsonObject();
    if (body.trimmed().isEmpty()) {
        if (emptyAllowed) {
            return std::nullopt;
        }
        return BadField({}, QStringLiteral("the request needs a JSON object as its body"));
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        return BadField({}, QStringLiteral("the body is not JSON: %1 at byte %2")
                                .arg(error.errorString())
                                .arg(error.offset));
    }
    if (!document.isObject()) {
        return BadField({}, QStringLiteral("the body must be a JSON object"));
    }
    object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key())) {
            return BadField(it.key(),
                            QStringLiteral("unknown field \"%1\"; this request takes %2")
                                .arg(it.key(), allowed.isEmpty()
                                                   ? QStringLiteral("no fields")
                                                   : QStringLiteral("\"") +
                                                         allowed.join(QStringLiteral("\", \"")) +
                                                         QStringLiteral("\"")));
        }
    }
    return std::nullopt;
}

std::optional<Refusal> ReadPageLetter(const QString& text, char& letter) {
    const QString upper = text.toUpper();
    if (upper.size() != 1 || upper[0] < QLatin1Char('A') || upper[0] > QLatin1Char('Z')) {
        return Refusal{404, QStringLiteral("page"),
                       QStringLiteral("a page is one letter A..Z, not \"%1\"").arg(text)};
    }
    letter = upper[0].toLatin1();
    return std::nullopt;
}

std::optional<Refusal> LineOfText(const QString& text, std::string& line) {
    line.clear();
    line.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0xFF) {
            return BadField(QStringLiteral("text"),
                            QStringLiteral("character %1 (U+%2) is above U+00FF, which a sign "
                                           "line cannot carry")
                                .arg(i + 1)
                                .arg(static_cast<int>(c), 4, 16, QLatin1Char('0')));
        }
        if (c < 0x20 || c == 0x7F) {
            return BadField(QStringLiteral("text"),
                            QStringLiteral("character %1 is a control character (U+%2)")
                                .arg(i + 1)
                                .arg(static_cast<int>(c), 4, 16, QLatin1Char('0')));
        }
        line.push_back(static_cast<char>(c));
    }
    return std::nullopt;
}

std::optional<Refusal> BuildPageCommand(const QJsonObject& body, char letter,
                                        const std::filesystem::path& graphicsFolder,
                                        signs::SignCommand& command) {
    const QJsonValue text = body.value(QStringLiteral("text"));
    if (!text.isString()) {
        return BadField(QStringLiteral("text"),
                        text.isUndefined() ? QStringLiteral("the field \"text\" is missing")
                                           : QStringLiteral("\"text\" must be a string"));
    }
    std::string line;
    if (auto refused = LineOfText(text.toString(), line)) {
        return refused;
    }
    auto graphics = std::make_shared<const FolderGraphicSource>(graphicsFolder);
    if (Result<Compilation> compiled = CompileLine(line, *graphics); !compiled) {
        return BadField(QStringLiteral("text"), QString::fromStdString(compiled.error().message));
    }
    command = signs::SendPageCommand(std::move(line), letter, std::move(graphics));
    return std::nullopt;
}

std::optional<Refusal> BuildBrightnessCommand(const QJsonObject& body,
                                              signs::SignCommand& command) {
    const QJsonValue level = body.value(QStringLiteral("level"));
    static constexpr int kPercent[] = {100, 75, 50, 25};
    for (int index = 0; index < 4; ++index) {
        if (level.isDouble() && level.toDouble() == kPercent[index]) {
            command = signs::SetBrightnessCommand(index);
            return std::nullopt;
        }
    }
    return BadField(QStringLiteral("level"),
                    level.isUndefined() ? QStringLiteral("the field \"level\" is missing")
                                        : QStringLiteral("\"level\" takes 100, 75, 50 or 25"));
}

std::optional<Refusal> BuildClockCommand(const QJsonObject& body, signs::SignCommand& command) {
    QDateTime time = QDateTime::currentDateTime();
    if (body.contains(QStringLiteral("time"))) {
        const QJsonValue given = body.value(QStringLiteral("time"));
        time =
            given.isString() ? QDateTime::fromString(given.toString(), Qt::ISODate) : QDateTime();
        if (!time.isValid()) {
            return BadField(QStringLiteral("time"),
                            QStringLiteral("\"time\" takes an ISO 8601 date and time, such as "
                                           "\"2026-12-24T18:30:00\""));
        }
        time = time.toLocalTime();
    }
    const QDate day = time.date();
    command =
        signs::SetClockCommand(CivilDate{day.year(), day.month(), day.day()},
                               time.time().toString(QStringLiteral("hh:mm:ss")).toStdString());
    return std::nullopt;
}

} // namespace lumivo::service
