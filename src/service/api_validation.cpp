#include "service/api_validation.h"

#include "core/bytes.h"
#include "core/document.h"
#include "signs/schedule_entry.h"
#include "signs/sign_commands.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <array>
#include <memory>
#include <vector>

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
    // Upper-cased as ASCII only: a letter such as U+0131 must not become page I.
    const QString upper = text.size() == 1 && text[0].unicode() < 0x80 ? text.toUpper() : QString();
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

namespace {

// The page command of a checked line: refused when the line does not compile (a graphic it names
// is missing, say), so nothing is sent that the sender would fail on half-way.
std::optional<Refusal> PageCommandOfLine(std::string line, char letter, const QString& field,
                                         const std::filesystem::path& graphicsFolder,
                                         signs::SignCommand& command) {
    auto graphics = std::make_shared<const FolderGraphicSource>(graphicsFolder);
    if (Result<Compilation> compiled = CompileLine(line, *graphics); !compiled) {
        return BadField(field, QString::fromStdString(compiled.error().message));
    }
    command = signs::SendPageCommand(std::move(line), letter, std::move(graphics));
    return std::nullopt;
}

} // namespace

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
    return PageCommandOfLine(std::move(line), letter, QStringLiteral("text"), graphicsFolder,
                             command);
}

bool IsDocumentMediaType(const QByteArray& contentType) {
    const QByteArray type = contentType.split(';').front().trimmed();
    return type.compare(kDocumentMediaType, Qt::CaseInsensitive) == 0;
}

std::optional<Refusal> BuildDocumentPageCommand(const QByteArray& body, char letter,
                                                const std::filesystem::path& graphicsFolder,
                                                signs::SignCommand& command) {
    const DocumentRead read =
        ReadMessageDocumentBytes(std::string_view(body.constData(), body.size()), "the document");
    if (!read.ok()) {
        return BadField(QStringLiteral("body"), QString::fromStdString(read.message));
    }
    // The line as the editor sends it once it has opened the document: a line break is the CR LF
    // the editor's line holds, which the sender leaves out of the frame; any other control
    // character would end up in the frame, so it is refused.
    std::string line = read.document.text();
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\r' && c != '\n') || c == 0x7F) {
            return BadField(QStringLiteral("body"),
                            QStringLiteral("character %1 of the document's line is a control "
                                           "character (U+%2)")
                                .arg(i + 1)
                                .arg(static_cast<int>(c), 4, 16, QLatin1Char('0')));
        }
    }
    return PageCommandOfLine(std::move(line), letter, QStringLiteral("body"), graphicsFolder,
                             command);
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

std::optional<Refusal> BuildLinkCommand(const QJsonObject& body, signs::SignCommand& command) {
    const QJsonValue pages = body.value(QStringLiteral("pages"));
    if (!pages.isString()) {
        return BadField(QStringLiteral("pages"),
                        pages.isUndefined() ? QStringLiteral("the field \"pages\" is missing")
                                            : QStringLiteral("\"pages\" must be a string"));
    }
    const std::string text = pages.toString().toStdString();
    if (!signs::AllLetters(text)) {
        return BadField(QStringLiteral("pages"), QStringLiteral("\"pages\" takes letters only"));
    }
    command = signs::LinkPagesCommand(AsciiUpper(text));
    return std::nullopt;
}

namespace {

// The array field `name` of the body, refused by that name when missing or of another type.
std::optional<Refusal> ReadArray(const QJsonObject& body, const QString& name, QJsonArray& array) {
    const QJsonValue value = body.value(name);
    if (!value.isArray()) {
        return BadField(name, value.isUndefined()
                                  ? QStringLiteral("the field \"%1\" is missing").arg(name)
                                  : QStringLiteral("\"%1\" must be an array").arg(name));
    }
    array = value.toArray();
    return std::nullopt;
}

QString Item(const QString& array, qsizetype index) {
    return QStringLiteral("%1[%2]").arg(array).arg(index);
}

// One schedule entry of the body, each of its fields checked and corrected as the entry dialog
// does; the refusal names the field ("entries[1].start").
std::optional<Refusal> ReadScheduleEntry(const QJsonValue& value, const QString& where,
                                         ScheduleEntry& entry) {
    if (!value.isObject()) {
        return BadField(where, QStringLiteral("an entry is an object with \"start\", \"end\" "
                                              "and \"pages\""));
    }
    const QJsonObject object = value.toObject();
    const QStringList fields{QStringLiteral("start"), QStringLiteral("end"),
                             QStringLiteral("pages")};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!fields.contains(it.key())) {
            return BadField(where + QLatin1Char('.') + it.key(),
                            QStringLiteral("unknown field \"%1\"; an entry takes \"start\", "
                                           "\"end\" and \"pages\"")
                                .arg(it.key()));
        }
    }
    std::string text[3];
    for (int i = 0; i < 3; ++i) {
        const QJsonValue field = object.value(fields[i]);
        if (!field.isString()) {
            return BadField(where + QLatin1Char('.') + fields[i],
                            field.isUndefined() ? QStringLiteral("the field is missing")
                                                : QStringLiteral("the field must be a string"));
        }
        text[i] = field.toString().toStdString();
    }
    // The order the command line checks them in: the pages, then the start, then the end.
    if (Status pages = signs::SchedulePagesFit(text[2]); !pages) {
        return BadField(where + QStringLiteral(".pages"),
                        QString::fromStdString(pages.error().message));
    }
    for (int i = 0; i < 2; ++i) {
        if (Result<std::string> moment = signs::ScheduleMoment(text[i]); !moment) {
            return BadField(where + QLatin1Char('.') + fields[i],
                            QString::fromStdString(moment.error().message));
        }
    }
    Result<ScheduleEntry> made = signs::MakeScheduleEntry(text[0], text[1], text[2]);
    if (!made) {
        return BadField(where, QString::fromStdString(made.error().message));
    }
    entry = std::move(made).value();
    return std::nullopt;
}

} // namespace

std::optional<Refusal> BuildSchedulesCommand(const QJsonObject& body, signs::SignCommand& command) {
    QJsonArray array;
    if (auto refused = ReadArray(body, QStringLiteral("entries"), array)) {
        return refused;
    }
    if (!signs::ScheduleCountFits(static_cast<std::size_t>(array.size()))) {
        return BadField(QStringLiteral("entries"),
                        QStringLiteral("\"entries\" holds %1 entries; a sign has %2 schedule "
                                       "slots")
                            .arg(array.size())
                            .arg(kMaxScheduleEntries));
    }
    std::vector<ScheduleEntry> entries(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (auto refused = ReadScheduleEntry(array[i], Item(QStringLiteral("entries"), i),
                                             entries[static_cast<std::size_t>(i)])) {
            return refused;
        }
    }
    command = signs::SendSchedulesCommand(std::move(entries));
    return std::nullopt;
}

std::optional<Refusal> BuildDeleteSchedulesCommand(const QJsonObject& body,
                                                   signs::SignCommand& command) {
    QJsonArray array;
    if (auto refused = ReadArray(body, QStringLiteral("slots"), array)) {
        return refused;
    }
    std::array<bool, kMaxScheduleEntries> checked{};
    for (qsizetype i = 0; i < array.size(); ++i) {
        // The range first: a double beyond int's range must not be converted.
        const double slot = array[i].toDouble(0);
        if (!array[i].isDouble() || slot < 1 || slot > kMaxScheduleEntries ||
            slot != static_cast<int>(slot)) {
            return BadField(
                Item(QStringLiteral("slots"), i),
                QStringLiteral("a schedule slot is a number 1..%1").arg(kMaxScheduleEntries));
        }
        checked[static_cast<std::size_t>(slot) - 1] = true;
    }
    command = signs::DeleteSchedulesCommand(checked);
    return std::nullopt;
}

std::optional<Refusal> BuildDeleteLinesCommand(const QJsonObject& body,
                                               signs::SignCommand& command) {
    QJsonArray array;
    if (auto refused = ReadArray(body, QStringLiteral("lines"), array)) {
        return refused;
    }
    link::PageLineMarks marks{};
    for (qsizetype i = 0; i < array.size(); ++i) {
        // Upper-cased as ASCII only, so no other letter turns into one of A..Z.
        const std::string line = AsciiUpper(array[i].toString().toStdString());
        if (!array[i].isString() || line.size() != 2 || line[0] < 'A' || line[0] > 'Z' ||
            (line[1] != '1' && line[1] != '2')) {
            return BadField(Item(QStringLiteral("lines"), i),
                            QStringLiteral("a line is a page letter and a line number, as A1 "
                                           "or D2"));
        }
        marks[static_cast<std::size_t>(line[0] - 'A')][static_cast<std::size_t>(line[1] - '1')] =
            true;
    }
    command = signs::DeletePageLinesCommand(marks);
    return std::nullopt;
}

} // namespace lumivo::service
