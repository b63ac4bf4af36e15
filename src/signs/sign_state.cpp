#include "signs/sign_state.h"

#include "core/file_io.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <system_error>

namespace lumivo::signs {

namespace {

// Larger than any state file of a few hundred signs; anything bigger is not ours.
constexpr std::size_t kMaxStateBytes = 16 * 1024 * 1024;
constexpr int kStateVersion = 1;

// Texts that go to a sign are 8-bit: kept one character per byte, so every byte comes back.
QString Bytes8(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Time(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// A time of the file; nothing when the text is not one.
std::optional<QDateTime> ReadTime(const QJsonValue& value) {
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!time.isValid()) {
        return std::nullopt;
    }
    return time;
}

QString Hex(const UserCharRecord& record) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(record.data()), record.size()).toHex());
}

struct Damaged {
    QString what;
};

[[noreturn]] void Fail(const QString& what) {
    throw Damaged{what};
}

QJsonObject Object(const QJsonValue& value, const QString& what) {
    if (!value.isObject()) {
        Fail(what + QStringLiteral(" is not an object"));
    }
    return value.toObject();
}

QJsonArray Array(const QJsonValue& value, const QString& what) {
    if (!value.isArray()) {
        Fail(what + QStringLiteral(" is not a list"));
    }
    return value.toArray();
}

// A text of the file; one that is left out reads as empty, any other kind of value is damage.
std::string FromBytes8(const QJsonValue& value, const QString& what) {
    if (value.isUndefined()) {
        return std::string();
    }
    if (!value.isString()) {
        Fail(what + QStringLiteral(" is not a text"));
    }
    const QByteArray bytes = value.toString().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

char PageLetter(const QString& key) {
    if (key.size() != 1 || key[0] < QLatin1Char('A') || key[0] > QLatin1Char('Z')) {
        Fail(QStringLiteral("\"%1\" is not a page letter").arg(key));
    }
    return key[0].toLatin1();
}

QJsonObject WriteOutcome(const LastOutcome& last) {
    return QJsonObject{
        {QStringLiteral("command"), last.command},
        {QStringLiteral("box"), static_cast<int>(last.outcome.box)},
        {QStringLiteral("text"), Bytes8(last.outcome.text)},
        {QStringLiteral("success"), last.outcome.success},
        {QStringLiteral("details"), QString::fromStdString(last.outcome.details)},
        {QStringLiteral("at"), Time(last.at)},
        {QStringLiteral("cancelled"), last.cancelled},
    };
}

LastOutcome ReadOutcome(const QJsonObject& object) {
    LastOutcome last;
    last.command = object.value(QStringLiteral("command")).toString();
    const int box = object.value(QStringLiteral("box")).toInt(-1);
    if (box < static_cast<int>(link::BoxKind::None) ||
        box > static_cast<int>(link::BoxKind::Plain)) {
        Fail(QStringLiteral("the last outcome has no box kind"));
    }
    last.outcome = link::Outcome(
        static_cast<link::BoxKind>(box),
        FromBytes8(object.value(QStringLiteral("text")), QStringLiteral("the last outcome's text")),
        object.value(QStringLiteral("success")).toBool(),
        object.value(QStringLiteral("details")).toString().toStdString());
    last.at = ReadTime(object.value(QStringLiteral("at"))).value_or(QDateTime());
    last.cancelled = object.value(QStringLiteral("cancelled")).toBool();
    return last;
}

Graphic ReadGraphic(const QJsonValue& value) {
    Graphic graphic;
    for (const QJsonValue& row : Array(value, QStringLiteral("a graphic"))) {
        graphic.rows.push_back(FromBytes8(row, QStringLiteral("a graphic's row")));
    }
    return graphic;
}

SentPage ReadPage(const QJsonObject& page) {
    SentPage sent;
    sent.line = FromBytes8(page.value(QStringLiteral("line")), QStringLiteral("a page's line"));
    sent.sent = ReadTime(page.value(QStringLiteral("sent"))).value_or(QDateTime());
    const QJsonObject graphics =
        Object(page.value(QStringLiteral("graphics")), QStringLiteral("graphics"));
    for (auto g = graphics.begin(); g != graphics.end(); ++g) {
        bool ok = false;
        const int number = g.key().toInt(&ok);
        if (!ok || number < 1 || number > kGraphicCount) {
            Fail(QStringLiteral("\"%1\" is not a graphic number").arg(g.key()));
        }
        sent.graphics.emplace(number, ReadGraphic(g.value()));
    }
    return sent;
}

void ReadPages(const QJsonObject& object, SignRecord& record) {
    const QJsonObject pages =
        Object(object.value(QStringLiteral("pages")), QStringLiteral("pages"));
    for (auto it = pages.begin(); it != pages.end(); ++it) {
        const char letter = PageLetter(it.key());
        record.pages.emplace(letter,
                             ReadPage(Object(it.value(), QStringLiteral("page ") + it.key())));
    }
}

// Brightness, the clock set and the running page: each only when it was sent.
void ReadSettings(const QJsonObject& object, SignRecord& record) {
    if (const QJsonValue brightness = object.value(QStringLiteral("brightness"));
        !brightness.isUndefined()) {
        if (!brightness.isDouble()) {
            Fail(QStringLiteral("the brightness is not a number"));
        }
        record.brightnessPercent = brightness.toInt();
    }
    if (const QJsonValue clock = object.value(QStringLiteral("clockSet")); !clock.isUndefined()) {
        const QDateTime set = QDateTime::fromString(clock.toString(), Qt::ISODate);
        if (!set.isValid()) {
            Fail(QStringLiteral("the clock set is not a time"));
        }
        record.clockSet = set;
    }
    if (const QJsonValue page = object.value(QStringLiteral("runningPage")); !page.isUndefined()) {
        record.runningPage = PageLetter(page.toString());
    }
    record.linkedPages =
        FromBytes8(object.value(QStringLiteral("linkedPages")), QStringLiteral("linkedPages"));
}

void ReadSchedules(const QJsonObject& object, SignRecord& record) {
    for (const QJsonValue& value :
         Array(object.value(QStringLiteral("schedules")), QStringLiteral("schedules"))) {
        const QJsonObject entry = Object(value, QStringLiteral("a schedule"));
        record.schedules.push_back(ScheduleEntry{
            FromBytes8(entry.value(QStringLiteral("start")), QStringLiteral("a schedule's start")),
            FromBytes8(entry.value(QStringLiteral("end")), QStringLiteral("a schedule's end")),
            FromBytes8(entry.value(QStringLiteral("pages")),
                       QStringLiteral("a schedule's pages"))});
    }
}

void ReadUserCharacters(const QJsonObject& object, SignRecord& record) {
    for (const QJsonValue& value :
         Array(object.value(QStringLiteral("userCharacters")), QStringLiteral("user characters"))) {
        const QByteArray bytes = QByteArray::fromHex(value.toString().toLatin1());
        if (bytes.size() != static_cast<qsizetype>(kUserCharRecordSize)) {
            Fail(QStringLiteral("a user character is not a record"));
        }
        UserCharRecord character{};
        std::copy(bytes.begin(), bytes.end(), character.begin());
        record.userCharacters.push_back(character);
    }
}

SignRecord ReadRecord(const QJsonObject& object) {
    SignRecord record;
    ReadPages(object, record);
    ReadSettings(object, record);
    ReadSchedules(object, record);
    ReadUserCharacters(object, record);
    if (const QJsonValue last = object.value(QStringLiteral("last")); !last.isUndefined()) {
        record.last = ReadOutcome(Object(last, QStringLiteral("the last outcome")));
    }
    return record;
}

} // namespace

std::optional<char> LastSentPage(const SignRecord& record) {
    std::optional<char> last;
    QDateTime when;
    for (const auto& [letter, page] : record.pages) {
        if (!last || page.sent > when) {
            last = letter;
            when = page.sent;
        }
    }
    return last;
}

QJsonObject SignRecordJson(const SignRecord& record) {
    QJsonObject pages;
    for (const auto& [letter, page] : record.pages) {
        QJsonObject graphics;
        for (const auto& [number, graphic] : page.graphics) {
            QJsonArray rows;
            for (const std::string& row : graphic.rows) {
                rows.append(Bytes8(row));
            }
            graphics.insert(QString::number(number), rows);
        }
        pages.insert(QString(QLatin1Char(letter)),
                     QJsonObject{{QStringLiteral("line"), Bytes8(page.line)},
                                 {QStringLiteral("graphics"), graphics},
                                 {QStringLiteral("sent"), Time(page.sent)}});
    }
    QJsonObject object{{QStringLiteral("pages"), pages}};
    if (record.brightnessPercent) {
        object.insert(QStringLiteral("brightness"), *record.brightnessPercent);
    }
    if (record.clockSet) {
        object.insert(QStringLiteral("clockSet"), record.clockSet->toString(Qt::ISODate));
    }
    if (record.runningPage) {
        object.insert(QStringLiteral("runningPage"), QString(QLatin1Char(*record.runningPage)));
    }
    object.insert(QStringLiteral("linkedPages"), Bytes8(record.linkedPages));
    QJsonArray schedules;
    for (const ScheduleEntry& entry : record.schedules) {
        schedules.append(QJsonObject{{QStringLiteral("start"), Bytes8(entry.start)},
                                     {QStringLiteral("end"), Bytes8(entry.end)},
                                     {QStringLiteral("pages"), Bytes8(entry.pages)}});
    }
    object.insert(QStringLiteral("schedules"), schedules);
    QJsonArray characters;
    for (const UserCharRecord& character : record.userCharacters) {
        characters.append(Hex(character));
    }
    object.insert(QStringLiteral("userCharacters"), characters);
    if (record.last) {
        object.insert(QStringLiteral("last"), WriteOutcome(*record.last));
    }
    return object;
}

SignStateStore::SignStateStore(std::filesystem::path file) : m_file(std::move(file)) {
    std::error_code ec;
    if (!std::filesystem::exists(m_file, ec)) {
        return;
    }
    const Result<Bytes> bytes = ReadWholeFile(m_file, kMaxStateBytes);
    if (!bytes) {
        // Not read, so not replaced either: what it holds is the user's to look at.
        m_loadProblem = bytes.error().message + " (it is left as it is: nothing sent is recorded)";
        m_unreadable = true;
        return;
    }
    load(*bytes);
}

namespace {

// The version a file says it is written in; a problem for one that is not this program's.
std::optional<std::string> VersionProblem(const QJsonValue& version) {
    if (version.isUndefined()) {
        return std::nullopt;
    }
    const int number = version.isDouble() ? version.toInt(-1) : -1;
    if (number < 1) {
        return std::string("its version is not a version number");
    }
    if (number > kStateVersion) {
        return "it is written by a newer version of the program (file version " +
               std::to_string(number) + ", this program reads " + std::to_string(kStateVersion) +
               "); the records it could read are used";
    }
    return std::nullopt;
}

} // namespace

void SignStateStore::load(const std::string& bytes) {
    const std::string name = m_file.string();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &error);
    const QJsonObject top = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        !top.value(QStringLiteral("signs")).isObject()) {
        m_loadProblem = name + ": not a sign state file" +
                        (error.error != QJsonParseError::NoError
                             ? " (" + error.errorString().toStdString() + ")"
                             : std::string());
        m_damaged = bytes;
        return;
    }
    std::optional<std::string> problems = VersionProblem(top.value(QStringLiteral("version")));
    const QJsonObject signs = top.value(QStringLiteral("signs")).toObject();
    bool lost = false;
    for (auto it = signs.begin(); it != signs.end(); ++it) {
        try {
            m_records.emplace(it.key(), ReadRecord(Object(it.value(), QStringLiteral("it"))));
        } catch (const Damaged& damaged) {
            problems = (problems ? *problems + "; " : std::string()) + "sign \"" +
                       it.key().toStdString() + "\": " + damaged.what.toStdString();
            lost = true;
        }
    }
    if (problems) {
        m_loadProblem = name + ": " + *problems +
                        (lost ? " (those signs start with nothing recorded)" : std::string());
        m_damaged = bytes;
    }
}

std::optional<std::string> SignStateStore::loadProblem() const {
    std::lock_guard lock(m_mutex);
    return m_loadProblem;
}

SignRecord SignStateStore::record(const QString& sign) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_records.find(sign);
    return it == m_records.end() ? SignRecord{} : it->second;
}

Status SignStateStore::update(const QString& sign, const std::function<void(SignRecord&)>& change) {
    std::lock_guard lock(m_mutex);
    change(m_records[sign]);
    return writeLocked();
}

void SignStateStore::forget(const QString& sign) {
    std::lock_guard lock(m_mutex);
    if (m_records.erase(sign) > 0) {
        (void)writeLocked();
    }
}

Status SignStateStore::writeLocked() {
    if (m_unreadable) {
        return Error{m_file.string() + " could not be read, so it is not replaced"};
    }
    if (m_damaged) {
        // What could not be read is kept beside the new file rather than lost.
        std::filesystem::path kept = m_file;
        kept += ".damaged";
        if (Status saved = WriteFileReplacing(kept, *m_damaged); !saved) {
            return saved;
        }
        m_damaged.reset();
    }
    QJsonObject signs;
    for (const auto& [name, record] : m_records) {
        signs.insert(name, SignRecordJson(record));
    }
    const QJsonObject top{{QStringLiteral("version"), kStateVersion},
                          {QStringLiteral("signs"), signs}};
    const QByteArray json = QJsonDocument(top).toJson(QJsonDocument::Indented);
    return WriteFileReplacing(m_file, std::string_view(json.constData(), json.size()));
}

std::filesystem::path SignStatePath(const std::filesystem::path& settingsFile) {
    return settingsFile.parent_path() / "signs-state.json";
}

} // namespace lumivo::signs
