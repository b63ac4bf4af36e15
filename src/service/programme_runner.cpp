#include "service/programme_runner.h"

#include "signs/sign_commands.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <limits>

namespace lumivo::service {

namespace {

QString Iso(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString Folded(const QString& name) {
    return name.toLower();
}

Refusal Refused(int status, const QString& field, const QString& message) {
    return Refusal{status, field, message};
}

// The sign's programme section: its time zone, fallback and entries.
Programme ReadSignProgramme(const SettingsFile& settings, const QString& sign,
                            const std::filesystem::path& graphicsFolder,
                            const ProgrammeFields& fields, QStringList& problems) {
    const std::string section = "Programme " + sign.toStdString();
    const auto problem = [&](const QString& where, const QString& what) {
        problems.append(QStringLiteral("Programme \"%1\", %2: %3").arg(sign, where, what));
    };
    QTimeZone zone = QTimeZone::systemTimeZone();
    if (const std::optional<std::string> name = settings.readString(section, "TimeZone")) {
        const QTimeZone given(QByteArray::fromStdString(*name));
        if (given.isValid()) {
            zone = given;
        } else {
            problem(QStringLiteral("TimeZone"),
                    QStringLiteral("\"%1\" is not a time zone (such as Europe/Berlin); the "
                                   "machine's is used")
                        .arg(QString::fromStdString(*name)));
        }
    }
    Programme programme(zone);
    const auto read = [&](const QString& key, bool fallback) -> std::optional<ProgrammeEntry> {
        const std::optional<std::string> text = settings.readString(section, key.toStdString());
        if (!text) {
            return std::nullopt;
        }
        EntryRead entry = ReadProgrammeEntry(key, QString::fromStdString(*text), zone, fallback);
        signs::SignCommand command;
        if (entry.entry) {
            // A field is checked here, not filled: its value may come later.
            const QString problem = ProgrammeLineProblem(entry.entry->line, fields);
            if (!problem.isEmpty()) {
                entry = EntryRead{std::nullopt, QStringLiteral("the line: ") + problem};
            } else if (const std::optional<Refusal> refused =
                           BuildProgrammePage(*entry.entry, graphicsFolder, command)) {
                entry = EntryRead{std::nullopt, QStringLiteral("the line: ") + refused->message};
            }
        }
        if (!entry.entry) {
            problem(key, entry.error + QStringLiteral("; the entry is left out"));
        }
        return entry.entry;
    };
    programme.setFallback(read(QStringLiteral("Fallback"), true));
    std::vector<ProgrammeEntry> entries;
    for (int i = 1; i <= kMaxProgrammeEntries; ++i) {
        if (std::optional<ProgrammeEntry> entry = read(QStringLiteral("Entry%1").arg(i), false)) {
            entries.push_back(std::move(*entry));
        }
    }
    programme.setEntries(std::move(entries));
    return programme;
}

// "expires": seconds from now, or an ISO time (read in the sign's zone without an offset).
std::variant<Refusal, std::optional<QDateTime>> ReadExpiry(const QJsonValue& value,
                                                           const QDateTime& now) {
    const QString field = QStringLiteral("expires");
    if (value.isUndefined() || value.isNull()) {
        return std::optional<QDateTime>();
    }
    QDateTime time;
    if (value.isDouble()) {
        const double seconds = value.toDouble();
        if (!(seconds >= 1 && seconds <= static_cast<double>(kMaxAlertSeconds))) {
            return Refused(
                400, field,
                QStringLiteral("\"expires\" takes 1 to %1 seconds").arg(kMaxAlertSeconds));
        }
        time = now.addMSecs(static_cast<qint64>(seconds * 1000));
    } else if (value.isString()) {
        time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
        if (!time.isValid()) {
            return Refused(400, field,
                           QStringLiteral("\"%1\" is not an ISO time, such as "
                                          "2026-12-24T18:30:00Z")
                               .arg(value.toString()));
        }
        if (time <= now || now.secsTo(time) > kMaxAlertSeconds) {
            return Refused(400, field,
                           QStringLiteral("\"expires\" must lie after now and within 31 days"));
        }
    } else {
        return Refused(400, field,
                       QStringLiteral("\"expires\" takes seconds (a number) or an ISO time"));
    }
    return std::optional<QDateTime>(time);
}

// The retry pause after `failures` failed transfers in a row.
qint64 RetryPauseMs(int failures) {
    return std::min(kLongestRetryMs, kFirstRetryMs << std::min(failures - 1, 10));
}

} // namespace

QString ProgrammeLineProblem(const std::string& line, const ProgrammeFields& fields) {
    Result<LineTemplate> parsed = LineTemplate::Parse(line);
    if (!parsed) {
        return QString::fromStdString(parsed.error().message);
    }
    if (!parsed->hasFields()) {
        return QString();
    }
    const signs::IsSourceField none = [](std::string_view) { return false; };
    return signs::TemplateProblem(*parsed, fields.isSourceField ? fields.isSourceField : none);
}

std::optional<Refusal> BuildProgrammePage(const ProgrammeEntry& entry,
                                          const std::filesystem::path& graphicsFolder,
                                          signs::SignCommand& command,
                                          const ProgrammeFields& fields) {
    Bytes line = entry.line;
    if (fields.fill) {
        Result<LineTemplate> parsed = LineTemplate::Parse(entry.line);
        if (parsed && parsed->hasFields()) {
            std::optional<Bytes> filled = fields.fill(*parsed);
            if (!filled) {
                QStringList names;
                for (const std::string& name : parsed->fieldNames()) {
                    if (!IsClockField(name)) {
                        names.append(QString::fromStdString(name));
                    }
                }
                return Refused(kWaitsForFieldStatus, QStringLiteral("text"),
                               QStringLiteral("waits for a value of %1")
                                   .arg(names.join(QStringLiteral(", "))));
            }
            line = std::move(*filled);
        }
    }
    signs::SignCommand send;
    const QJsonObject body{{QStringLiteral("text"), QString::fromLatin1(line)}};
    if (std::optional<Refusal> refused =
            BuildPageCommand(body, entry.letter, graphicsFolder, send)) {
        return refused;
    }
    signs::SignCommand run = signs::RunPageCommand(entry.letter);
    command.label =
        QStringLiteral("programme %1 page %2").arg(entry.name).arg(QLatin1Char(entry.letter));
    command.service.refusal = QStringLiteral("a programme's page is put on the sign by lumivod");
    command.run = [send = send.run, run = run.run](const signs::Sign& sign,
                                                   const link::PortOpener& open, link::Clock& clock,
                                                   const signs::SignProgress& progress) {
        link::Outcome sent = send(sign, open, clock, progress);
        if (!sent.success) {
            return sent;
        }
        return run(sign, open, clock, progress);
    };
    command.recordSuccess = [sendRecord = send.recordSuccess,
                             runRecord = run.recordSuccess](signs::SignRecord& record) {
        if (sendRecord) {
            sendRecord(record);
        }
        if (runRecord) {
            runRecord(record);
        }
    };
    return std::nullopt;
}

ProgrammesRead ReadProgrammes(const SettingsFile& settings, const signs::SignList& list,
                              const std::filesystem::path& graphicsFolder,
                              const ProgrammeFields& fields) {
    ProgrammesRead read;
    const QString prefix = QStringLiteral("programme ");
    for (const std::string& section : settings.sectionNames()) {
        const QString name = QString::fromStdString(section);
        if (!name.toLower().startsWith(prefix)) {
            continue;
        }
        const signs::Sign* sign = list.find(name.mid(prefix.size()).trimmed());
        if (sign == nullptr) {
            read.problems.append(QStringLiteral("Programme \"%1\": no sign of that name is in the "
                                                "sign list; the programme is left out")
                                     .arg(name.mid(prefix.size()).trimmed()));
            continue;
        }
        if (read.bySign.count(sign->name) == 0) {
            read.bySign.emplace(sign->name, ReadSignProgramme(settings, sign->name, graphicsFolder,
                                                              fields, read.problems));
        }
    }
    return read;
}

ProgrammeRunner::ProgrammeRunner(StartJob start, Now now, RecordOf recordOf,
                                 std::filesystem::path graphicsFolder, QObject* parent)
    : QObject(parent), m_start(std::move(start)), m_now(std::move(now)),
      m_recordOf(std::move(recordOf)), m_graphicsFolder(std::move(graphicsFolder)) {
    if (!m_now) {
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
    }
    m_timer.setSingleShot(true);
    // A coarse timer may fire 5 % late: ten minutes late on a change hours away.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ProgrammeRunner::update);
}

QStringList ProgrammeRunner::reload(const SettingsFile& settings, const signs::SignList& list) {
    ProgrammesRead read = ReadProgrammes(settings, list, m_graphicsFolder, m_fields);
    std::map<QString, SignRun> runs;
    for (const signs::Sign& sign : list.signs) {
        SignRun run;
        const auto given = read.bySign.find(sign.name);
        if (given != read.bySign.end()) {
            run.programme = std::move(given->second);
        }
        if (const SignRun* before = find(sign.name)) {
            run.programme.keepAlertsOf(before->programme);
            run.restore = before->restore;
            run.onSign = before->onSign;
            run.sending = before->sending;
            run.failures = before->failures;
            run.retryAt = before->retryAt;
            run.problem = before->problem;
            run.keptLetter = before->keptLetter;
        }
        if (!run.programme.fallback() && run.restore) {
            run.programme.setFallback(run.restore);
        }
        run.sign = sign;
        runs.emplace(Folded(sign.name), std::move(run));
    }
    for (const auto& [key, before] : m_runs) {
        if (before.keptLetter && runs.count(key) == 0 && m_fields.forget) {
            m_fields.forget(before.sign.name, *before.keptLetter);
        }
    }
    m_runs = std::move(runs);
    update();
    return read.problems;
}

ProgrammeRunner::SignRun* ProgrammeRunner::find(const QString& sign) {
    const auto it = m_runs.find(Folded(sign));
    return it == m_runs.end() ? nullptr : &it->second;
}

const ProgrammeRunner::SignRun* ProgrammeRunner::find(const QString& sign) const {
    const auto it = m_runs.find(Folded(sign));
    return it == m_runs.end() ? nullptr : &it->second;
}

void ProgrammeRunner::update() {
    const QDateTime now = m_now();
    for (auto& [key, run] : m_runs) {
        run.programme.dropExpired(now);
        const std::optional<ProgrammeChoice> choice = run.programme.at(now);
        if (!choice || choice == run.onSign || run.sending) {
            continue;
        }
        if (run.retryAt && now < *run.retryAt) {
            continue;
        }
        startShowing(run, *choice);
    }
    armTimer(now);
}

void ProgrammeRunner::startShowing(SignRun& run, const ProgrammeChoice& choice) {
    signs::SignCommand command;
    if (const std::optional<Refusal> refused =
            BuildProgrammePage(choice.entry, m_graphicsFolder, command, m_fields)) {
        run.problem = refused->message;
        if (refused->status == kWaitsForFieldStatus) {
            return; // tried again when a field changes
        }
        // A graphic the line names went away since the programme was read.
        run.failures += 1;
        run.retryAt = m_now().addMSecs(RetryPauseMs(run.failures));
        return;
    }
    // The page shown before is no longer kept current: its text would reach the sign again.
    if (run.keptLetter && m_fields.forget) {
        m_fields.forget(run.sign.name, *run.keptLetter);
    }
    run.keptLetter.reset();
    run.sending = choice;
    const QString sign = run.sign.name;
    m_start(run.sign, std::move(command),
            [this, sign, choice](const signs::DispatchResult& result) {
                transferEnded(sign, choice, result);
            });
}

void ProgrammeRunner::transferEnded(const QString& sign, const ProgrammeChoice& choice,
                                    const signs::DispatchResult& result) {
    SignRun* run = find(sign);
    if (run == nullptr) {
        return; // left the sign list meanwhile
    }
    run->sending.reset();
    if (result.allSucceeded()) {
        run->onSign = choice;
        run->failures = 0;
        run->retryAt.reset();
        run->problem.clear();
        Result<LineTemplate> parsed = LineTemplate::Parse(choice.entry.line);
        if (m_fields.keep && parsed && parsed->hasFields()) {
            m_fields.keep(run->sign.name, choice.entry.letter, *parsed);
            run->keptLetter = choice.entry.letter;
        }
    } else {
        run->failures += 1;
        run->retryAt = m_now().addMSecs(RetryPauseMs(run->failures));
        run->problem = result.summary();
    }
    update();
}

void ProgrammeRunner::armTimer(const QDateTime& now) {
    std::optional<QDateTime> next;
    const auto earliest = [&](const std::optional<QDateTime>& time) {
        if (time && (!next || *time < *next)) {
            next = time;
        }
    };
    bool any = false;
    for (const auto& [key, run] : m_runs) {
        if (run.programme.isEmpty()) {
            continue;
        }
        any = true;
        earliest(run.programme.nextChange(now));
        if (!run.sending) {
            earliest(run.retryAt);
        }
    }
    if (!any) {
        m_timer.stop();
        return;
    }
    const qint64 wait =
        next ? std::clamp<qint64>(now.msecsTo(*next), 0, kLongestSleepMs) : kLongestSleepMs;
    m_timer.start(static_cast<int>(wait));
}

std::variant<Refusal, QJsonObject> ProgrammeRunner::addAlert(const std::vector<signs::Sign>& signs,
                                                             const QByteArray& body) {
    QJsonObject object;
    if (std::optional<Refusal> refused =
            ReadBodyObject(body,
                           {QStringLiteral("text"), QStringLiteral("letter"),
                            QStringLiteral("priority"), QStringLiteral("expires")},
                           false, object)) {
        return *refused;
    }
    ProgrammeEntry alert;
    alert.letter = kDefaultAlertLetter;
    const QJsonValue letter = object.value(QStringLiteral("letter"));
    if (!letter.isUndefined()) {
        if (!letter.isString()) {
            return Refused(400, QStringLiteral("letter"),
                           QStringLiteral("\"letter\" must be a string, A..Z"));
        }
        if (std::optional<Refusal> refused = ReadPageLetter(letter.toString(), alert.letter)) {
            refused->status = 400;
            refused->field = QStringLiteral("letter");
            return *refused;
        }
    }
    const QJsonValue priority = object.value(QStringLiteral("priority"));
    if (!priority.isUndefined()) {
        const double value = priority.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!priority.isDouble() || value != static_cast<double>(static_cast<int>(value)) ||
            value < -1000000 || value > 1000000) {
            return Refused(400, QStringLiteral("priority"),
                           QStringLiteral("\"priority\" takes a whole number from -1000000 to "
                                          "1000000"));
        }
        alert.priority = static_cast<int>(value);
    }
    const QDateTime now = m_now();
    auto expiry = ReadExpiry(object.value(QStringLiteral("expires")), now);
    if (const Refusal* refused = std::get_if<Refusal>(&expiry)) {
        return *refused;
    }
    alert.expires = std::get<std::optional<QDateTime>>(expiry);
    // The text is checked as a page body's is, graphics and all, and its fields by name.
    std::string text;
    (void)LineOfText(object.value(QStringLiteral("text")).toString(), text);
    if (const QString problem = ProgrammeLineProblem(text, m_fields); !problem.isEmpty()) {
        return Refused(400, QStringLiteral("text"), problem);
    }
    signs::SignCommand check;
    if (std::optional<Refusal> refused =
            BuildPageCommand(object, alert.letter, m_graphicsFolder, check)) {
        return *refused;
    }
    (void)LineOfText(object.value(QStringLiteral("text")).toString(), alert.line);

    // Every sign is checked before the alert is added to any.
    std::vector<SignRun*> runs;
    for (const signs::Sign& sign : signs) {
        SignRun* run = find(sign.name);
        if (run == nullptr) {
            return Refused(404, QStringLiteral("sign"),
                           QStringLiteral("no sign is called \"%1\"").arg(sign.name));
        }
        run->programme.dropExpired(now);
        if (run->programme.alertCount() >= kMaxAlertsPerSign) {
            return Refused(409, QString(),
                           QStringLiteral("\"%1\" keeps %2 alerts already; end one first")
                               .arg(sign.name)
                               .arg(kMaxAlertsPerSign));
        }
        if (!run->programme.fallback() && !run->restore) {
            const signs::SignRecord record = m_recordOf(sign.name);
            const auto page =
                record.runningPage ? record.pages.find(*record.runningPage) : record.pages.end();
            if (page == record.pages.end()) {
                return Refused(409, QString(),
                               QStringLiteral("\"%1\" has no fallback in its programme and runs "
                                              "no page sent from here, so nothing could come "
                                              "back after the alert")
                                   .arg(sign.name));
            }
            ProgrammeEntry restore;
            restore.name = QStringLiteral("what showed before");
            restore.letter = page->first;
            restore.line = page->second.line;
            run->restore = restore;
        }
        runs.push_back(run);
    }
    const std::uint64_t id = m_nextAlert++;
    alert.name = QStringLiteral("alert %1").arg(id);
    QJsonArray names;
    for (SignRun* run : runs) {
        if (!run->programme.fallback()) {
            run->programme.setFallback(run->restore);
        }
        run->programme.addAlert(id, alert);
        names.append(run->sign.name);
    }
    update();
    return QJsonObject{{QStringLiteral("alert"), QString::number(id)},
                       {QStringLiteral("signs"), names},
                       {QStringLiteral("letter"), QString(QLatin1Char(alert.letter))},
                       {QStringLiteral("expires"), alert.expires ? QJsonValue(Iso(*alert.expires))
                                                                 : QJsonValue(QJsonValue::Null)}};
}

std::optional<Refusal> ProgrammeRunner::endAlert(const std::vector<signs::Sign>& signs,
                                                 const QString& id) {
    bool number = false;
    const qulonglong value = id.toULongLong(&number);
    bool ended = false;
    for (const signs::Sign& sign : signs) {
        SignRun* run = find(sign.name);
        if (number && run != nullptr && run->programme.endAlert(value)) {
            ended = true;
        }
    }
    if (!ended) {
        return Refused(404, QStringLiteral("alert"),
                       QStringLiteral("no alert %1 is kept (it may have expired)").arg(id));
    }
    update();
    return std::nullopt;
}

QJsonObject ProgrammeRunner::stateJson(const QString& sign) const {
    const SignRun* run = find(sign);
    if (run == nullptr || run->programme.isEmpty()) {
        return QJsonObject{{QStringLiteral("entry"), QJsonValue(QJsonValue::Null)},
                           {QStringLiteral("next_change"), QJsonValue(QJsonValue::Null)}};
    }
    const QDateTime now = m_now();
    const std::optional<ProgrammeChoice> choice = run->programme.at(now);
    QJsonValue entry(QJsonValue::Null);
    if (choice) {
        QJsonObject object{{QStringLiteral("name"), choice->entry.name},
                           {QStringLiteral("why"), ShowReasonName(choice->reason)},
                           {QStringLiteral("letter"), QString(QLatin1Char(choice->entry.letter))},
                           {QStringLiteral("text"), QString::fromLatin1(choice->entry.line)},
                           {QStringLiteral("on_sign"), choice == run->onSign}};
        if (choice->reason == ShowReason::Alert) {
            object.insert(QStringLiteral("alert"), QString::number(choice->alertId));
        }
        entry = object;
    }
    const std::optional<QDateTime> next = run->programme.nextChange(now);
    QJsonObject state{
        {QStringLiteral("entry"), entry},
        {QStringLiteral("next_change"), next ? QJsonValue(Iso(*next)) : QJsonValue::Null},
        {QStringLiteral("alerts"), static_cast<int>(run->programme.alertCount())},
        {QStringLiteral("sending"), run->sending.has_value()},
        {QStringLiteral("failures"), run->failures}};
    if (run->retryAt) {
        state.insert(QStringLiteral("retry_at"), Iso(*run->retryAt));
    }
    if (!run->problem.isEmpty()) {
        state.insert(QStringLiteral("problem"), run->problem);
    }
    return state;
}

} // namespace lumivo::service
