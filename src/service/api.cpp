#include "service/api.h"

#include "service/api_validation.h"
#include "service/field_service.h"
#include "service/openapi.h"
#include "service/programme_runner.h"
#include "service/sign_picture.h"
#include "service/token.h"
#include "service/web_routes.h"
#include "signs/sign_commands.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <mutex>

namespace lumivo::service {

namespace {

ApiAnswer JsonAnswer(int status, const QJsonObject& object) {
    return ApiAnswer{status, QByteArrayLiteral("application/json"),
                     QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'};
}

ApiAnswer RefusalAnswer(const Refusal& refusal) {
    QJsonObject object{{QStringLiteral("error"), refusal.message}};
    if (!refusal.field.isEmpty()) {
        object.insert(QStringLiteral("field"), refusal.field);
    }
    return JsonAnswer(refusal.status, object);
}

ApiAnswer ErrorAnswer(int status, const QString& message, const QString& field = {}) {
    return RefusalAnswer(Refusal{status, field, message});
}

QString Iso(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString KindName(link::BoxKind kind) {
    switch (kind) {
    case link::BoxKind::Information:
        return QStringLiteral("information");
    case link::BoxKind::Error:
        return QStringLiteral("error");
    case link::BoxKind::Plain:
        return QStringLiteral("plain");
    case link::BoxKind::None:
        break;
    }
    return QStringLiteral("none");
}

QJsonObject OutcomeJson(const link::Outcome& outcome) {
    return QJsonObject{{QStringLiteral("ok"), outcome.success},
                       {QStringLiteral("text"), QString::fromStdString(outcome.text).trimmed()},
                       {QStringLiteral("kind"), KindName(outcome.box)},
                       {QStringLiteral("details"), QString::fromStdString(outcome.details)}};
}

QJsonObject SignOutcomeJson(const signs::SignOutcome& end) {
    QJsonObject object = OutcomeJson(end.outcome);
    object.insert(QStringLiteral("sign"), end.sign);
    object.insert(QStringLiteral("ok"), end.started && !end.cancelled && end.outcome.success);
    object.insert(QStringLiteral("started"), end.started);
    object.insert(QStringLiteral("cancelled"), end.cancelled);
    object.insert(QStringLiteral("milliseconds"), end.milliseconds);
    return object;
}

QJsonValue Optional(bool has, const QJsonValue& value) {
    return has ? value : QJsonValue(QJsonValue::Null);
}

QJsonObject StateJson(const signs::SignRecord& record) {
    QJsonObject pages;
    for (const auto& [letter, page] : record.pages) {
        pages.insert(QString(QLatin1Char(letter)),
                     QJsonObject{{QStringLiteral("text"), QString::fromLatin1(page.line)},
                                 {QStringLiteral("sent"), Iso(page.sent)}});
    }
    QJsonObject state{
        {QStringLiteral("pages"), pages},
        {QStringLiteral("brightness"),
         Optional(record.brightnessPercent.has_value(), record.brightnessPercent.value_or(0))},
        {QStringLiteral("clock"),
         Optional(record.clockSet.has_value(),
                  record.clockSet ? record.clockSet->toString(Qt::ISODate) : QString())},
        {QStringLiteral("runningPage"),
         Optional(record.runningPage.has_value(),
                  QString(QLatin1Char(record.runningPage.value_or(' '))))},
        {QStringLiteral("linkedPages"), QString::fromLatin1(record.linkedPages)},
    };
    if (record.last) {
        QJsonObject last = OutcomeJson(record.last->outcome);
        last.insert(QStringLiteral("command"), record.last->command);
        last.insert(QStringLiteral("at"), Iso(record.last->at));
        last.insert(QStringLiteral("cancelled"), record.last->cancelled);
        state.insert(QStringLiteral("last"), last);
    } else {
        state.insert(QStringLiteral("last"), QJsonValue(QJsonValue::Null));
    }
    return state;
}

QJsonObject SignJson(const signs::Sign& sign) {
    return QJsonObject{{QStringLiteral("name"), sign.name},
                       {QStringLiteral("port"), sign.port},
                       {QStringLiteral("id"), QString::fromStdString(sign.id)},
                       {QStringLiteral("colours"), sign.colours},
                       {QStringLiteral("width"), sign.columns},
                       {QStringLiteral("groups"), QJsonArray::fromStringList(sign.groups)}};
}

// The path's segments after the leading '/', each percent-decoded on its own, so a name may hold
// an encoded '/'.
QStringList PathSegments(const QByteArray& path) {
    QStringList segments;
    const QList<QByteArray> parts = path.split('/');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        segments.append(QUrl::fromPercentEncoding(parts[i]));
    }
    if (!segments.isEmpty() && segments.back().isEmpty()) {
        segments.removeLast(); // a trailing '/'
    }
    return segments;
}

std::optional<QString> QueryValue(const QByteArray& query, const QString& key) {
    const QUrlQuery items(QString::fromUtf8(query));
    if (!items.hasQueryItem(key)) {
        return std::nullopt;
    }
    return items.queryItemValue(key, QUrl::FullyDecoded);
}

} // namespace

// --- Jobs ---------------------------------------------------------------------------------------

struct SignService::Job {
    std::uint64_t id = 0;
    QString command;
    QStringList signs;
    QDateTime started;
    std::shared_ptr<signs::DispatchJob> run;
    std::unique_ptr<JobObserver> observer;
    std::optional<signs::DispatchResult> result;
    std::vector<Answer> waiting;                             // requests answered when the job ends
    std::function<void(const signs::DispatchResult&)> ended; // the service's own use; may be empty
};

// Logs each sign's end on the line worker and hands the job's end to the service's thread.
class SignService::JobObserver final : public signs::DispatchObserver {
public:
    JobObserver(SignService& service, std::uint64_t id, QString command)
        : m_service(&service), m_id(id), m_command(std::move(command)), m_log(service.m_setup.log) {
    }

    void signFinished(const signs::SignOutcome& end) override {
        {
            const std::lock_guard lock(m_mutex);
            m_ended.append(end.sign);
        }
        if (!m_log) {
            return;
        }
        QString outcome = QString::fromStdString(end.outcome.text).trimmed();
        if (!end.started) {
            outcome = QStringLiteral("not sent (cancelled)");
        } else if (outcome.isEmpty()) {
            outcome = end.outcome.success ? QStringLiteral("sent") : QStringLiteral("failed");
        }
        if (end.cancelled) {
            outcome += QStringLiteral(" (cut short)");
        }
        if (!end.outcome.success && !end.outcome.details.empty()) {
            outcome += QStringLiteral(": ") + QString::fromStdString(end.outcome.details);
        }
        m_log(QStringLiteral("%1 job %2 sign \"%3\" %4: %5 (%6 ms)")
                  .arg(Iso(QDateTime::currentDateTimeUtc()))
                  .arg(m_id)
                  .arg(end.sign, m_command, outcome)
                  .arg(end.milliseconds));
    }

    void finished(const signs::DispatchResult& result) override {
        QMetaObject::invokeMethod(
            m_service, [service = m_service, id = m_id, result] { service->jobEnded(id, result); },
            Qt::QueuedConnection);
    }

    QStringList endedSigns() const {
        const std::lock_guard lock(m_mutex);
        return m_ended;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_ended;
    SignService* m_service;
    std::uint64_t m_id;
    QString m_command;
    std::function<void(const QString&)> m_log;
};

// --- The service --------------------------------------------------------------------------------

SignService::SignService(ServiceSetup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup)), m_state(m_setup.stateFile),
      m_previews(std::make_unique<PreviewDrawer>()) {
    signs::Dispatcher::OpenerFor openerFor =
        m_setup.openerFor ? m_setup.openerFor : signs::PortOpenerForSigns(m_setup.settingsFile);
    m_dispatcher = std::make_unique<signs::Dispatcher>(std::move(openerFor), m_setup.settingsFile,
                                                       m_setup.clockFor, &m_state);
    m_fields = std::make_unique<FieldService>(
        m_setup.now,
        FieldPageHooks{[this](const QString& sign) { return transferRuns(sign); },
                       [this](const QString& sign, char letter) -> std::optional<Bytes> {
                           const signs::SignRecord record = m_state.record(sign);
                           const auto page = record.pages.find(letter);
                           return page == record.pages.end()
                                      ? std::nullopt
                                      : std::optional<Bytes>(page->second.line);
                       },
                       [this](const QString& sign, char letter, Bytes line) {
                           startFieldSend(sign, letter, std::move(line));
                       }},
        this);
    m_programmes = std::make_unique<ProgrammeRunner>(
        [this](const signs::Sign& sign, signs::SignCommand command, ProgrammeRunner::Ended ended) {
            startJob({sign}, std::move(command), {}, std::move(ended));
        },
        m_setup.now, [this](const QString& sign) { return m_state.record(sign); },
        m_setup.graphicsFolder);
    FieldService* fields = m_fields.get();
    m_programmes->setFields(ProgrammeFields{
        [fields](std::string_view name) { return fields->isSourceField(name); },
        [fields](const LineTemplate& line) { return fields->fillNow(line); },
        [fields](const QString& sign, char letter, const LineTemplate& line) {
            fields->keep(sign, letter, line);
        },
        [fields](const QString& sign, char letter) { fields->forget(sign, letter); }});
    // An entry that waits for a field's first value goes out when it comes.
    connect(&m_fields->board(), &FieldBoard::changed, m_programmes.get(), &ProgrammeRunner::update);
    reloadSigns();
}

SignService::~SignService() {
    shutDown();
}

void SignService::shutDown() {
    m_dispatcher.reset();
    for (const auto& [id, job] : m_jobs) {
        job->ended = nullptr;
    }
    m_programmes.reset();
}

bool SignService::stopTransfers(int boundMs) {
    const auto running = [this] {
        std::vector<std::shared_ptr<Job>> jobs;
        for (const auto& [id, job] : m_jobs) {
            if (job->run != nullptr && !job->run->isFinished()) {
                jobs.push_back(job);
            }
        }
        return jobs;
    };
    for (const std::shared_ptr<Job>& job : running()) {
        job->run->cancel();
    }
    QElapsedTimer waited;
    waited.start();
    while (!running().empty() && waited.elapsed() < boundMs) {
        QThread::msleep(10);
    }
    const std::vector<std::shared_ptr<Job>> left = running();
    for (const std::shared_ptr<Job>& job : left) {
        const QStringList ended = job->observer->endedSigns();
        for (const QString& sign : job->signs) {
            if (ended.contains(sign)) {
                continue;
            }
            (void)m_state.update(sign, [&](signs::SignRecord& record) {
                record.last = signs::LastOutcome{
                    job->command,
                    link::Outcome(link::BoxKind::None, std::string(), false,
                                  "cut short: lumivod was stopped during the transfer"),
                    QDateTime::currentDateTimeUtc(), true};
            });
            if (m_setup.log) {
                m_setup.log(QStringLiteral("%1 job %2 sign \"%3\" %4: cut short by the stop")
                                .arg(Iso(QDateTime::currentDateTimeUtc()))
                                .arg(job->id)
                                .arg(sign, job->command));
            }
        }
    }
    return left.empty();
}

QStringList SignService::reloadSigns() {
    m_list = signs::ReadSignList(SettingsFile(m_setup.settingsFile.toStdString()));
    QStringList problems;
    for (const signs::SignListProblem& problem : m_list.problems) {
        problems.append(problem.text());
    }
    if (m_fields) {
        m_fields->forgetSignsBut([this](const QString& sign) { return m_list.find(sign); });
        problems.append(m_fields->reload(m_setup.settingsFile));
    }
    if (m_programmes) {
        problems.append(
            m_programmes->reload(SettingsFile(m_setup.settingsFile.toStdString()), m_list));
    }
    return problems;
}

void SignService::handle(const ApiRequest& request, Answer answer) {
    if (std::optional<ApiAnswer> file = WebFileAnswer(request)) {
        answer(std::move(*file));
        return;
    }
    if (!BearerMatches(request.authorization, m_setup.token)) {
        if (m_setup.log) {
            m_setup.log(QStringLiteral("%1 refused %2 %3: %4")
                            .arg(Iso(QDateTime::currentDateTimeUtc()),
                                 QString::fromLatin1(request.method),
                                 QString::fromUtf8(request.path),
                                 request.authorization.isEmpty() ? QStringLiteral("no token")
                                                                 : QStringLiteral("wrong token")));
        }
        answer(ErrorAnswer(401, QStringLiteral("this request needs the header "
                                               "\"Authorization: Bearer TOKEN\" with the token "
                                               "of lumivod --show-token")));
        return;
    }
    if (request.body.size() > kMaxBodyBytes) {
        answer(ErrorAnswer(413, QStringLiteral("the body is %1 bytes; at most %2 are taken")
                                    .arg(request.body.size())
                                    .arg(kMaxBodyBytes)));
        return;
    }
    bool started = false;
    ApiAnswer now = answerNow(request, PathSegments(request.path), started, answer);
    if (!started) {
        answer(std::move(now));
    }
}

ApiAnswer SignService::answerNow(const ApiRequest& request, const QStringList& path, bool& started,
                                 const Answer& answer) {
    const bool get = request.method == "GET";
    const bool post = request.method == "POST";
    const auto wrongMethod = [&](const char* wanted) {
        return ErrorAnswer(405,
                           QStringLiteral("%1 takes %2, not %3")
                               .arg(QString::fromUtf8(request.path), QString::fromLatin1(wanted),
                                    QString::fromLatin1(request.method)));
    };
    if (path.size() < 2 || path[0] != QStringLiteral("api")) {
        return ErrorAnswer(404, QStringLiteral("no such resource; the API is under /api, "
                                               "described by /api/openapi.json"));
    }
    const QString& what = path[1];
    if (path.size() == 2 && what == QStringLiteral("openapi.json")) {
        return get ? JsonAnswer(200, OpenApiDocument()) : wrongMethod("GET");
    }
    if (path.size() == 2 && what == QStringLiteral("signs")) {
        return get ? signsAnswer() : wrongMethod("GET");
    }
    if (path.size() == 2) {
        if (ApiAnswer web = webAnswer(request, what, started, answer); web.status != 0) {
            return web;
        }
    }
    if (path.size() == 3 && what == QStringLiteral("jobs")) {
        return get ? jobAnswer(path[2]) : wrongMethod("GET");
    }
    if (path.size() == 3 && what == QStringLiteral("signs")) {
        return get ? signAnswer(path[2]) : wrongMethod("GET");
    }
    if (path.size() == 4 && what == QStringLiteral("signs") &&
        (path[3] == QStringLiteral("picture.png") || path[3] == QStringLiteral("picture.gif"))) {
        const bool animated = path[3] == QStringLiteral("picture.gif");
        return get ? pictureAnswer(path[2], request.query, animated) : wrongMethod("GET");
    }
    if (path.size() >= 4 && path[3] == QStringLiteral("alerts") &&
        (what == QStringLiteral("signs") || what == QStringLiteral("groups"))) {
        return alertAnswer(path, request);
    }
    if (path.size() >= 4 && (what == QStringLiteral("signs") || what == QStringLiteral("groups"))) {
        return post ? startCommand(path, request, answer, started) : wrongMethod("POST");
    }
    return ErrorAnswer(404,
                       QStringLiteral("no such resource: %1").arg(QString::fromUtf8(request.path)));
}

ApiAnswer SignService::signsAnswer() const {
    QJsonArray list;
    for (const signs::Sign& sign : m_list.signs) {
        QJsonObject object = SignJson(sign);
        QJsonObject state = StateJson(m_state.record(sign.name));
        state.insert(QStringLiteral("fields"), m_fields->fieldsJson(sign.name));
        state.insert(QStringLiteral("templates"), m_fields->templatesJson(sign.name));
        if (m_programmes) {
            state.insert(QStringLiteral("programme"), m_programmes->stateJson(sign.name));
        }
        object.insert(QStringLiteral("state"), state);
        list.append(object);
    }
    QJsonArray problems;
    for (const signs::SignListProblem& problem : m_list.problems) {
        problems.append(problem.text());
    }
    return JsonAnswer(
        200, QJsonObject{{QStringLiteral("signs"), list},
                         {QStringLiteral("groups"), QJsonArray::fromStringList(m_list.groups())},
                         {QStringLiteral("problems"), problems}});
}

ApiAnswer SignService::signAnswer(const QString& name) const {
    const signs::Sign* sign = m_list.find(name);
    if (sign == nullptr) {
        return ErrorAnswer(404, QStringLiteral("no sign is called \"%1\"").arg(name),
                           QStringLiteral("sign"));
    }
    QJsonObject object = SignJson(*sign);
    QJsonObject state = StateJson(m_state.record(sign->name));
    state.insert(QStringLiteral("fields"), m_fields->fieldsJson(sign->name));
    state.insert(QStringLiteral("templates"), m_fields->templatesJson(sign->name));
    if (m_programmes) {
        state.insert(QStringLiteral("programme"), m_programmes->stateJson(sign->name));
    }
    object.insert(QStringLiteral("state"), state);
    return JsonAnswer(200, object);
}

ApiAnswer SignService::pictureAnswer(const QString& name, const QByteArray& query,
                                     bool animated) const {
    const signs::Sign* sign = m_list.find(name);
    if (sign == nullptr) {
        return ErrorAnswer(404, QStringLiteral("no sign is called \"%1\"").arg(name),
                           QStringLiteral("sign"));
    }
    std::optional<char> asked;
    if (const std::optional<QString> page = QueryValue(query, QStringLiteral("page"))) {
        char letter = 0;
        if (auto refused = ReadPageLetter(*page, letter)) {
            refused->status = 400;
            return RefusalAnswer(*refused);
        }
        asked = letter;
    }
    const signs::SignRecord record = m_state.record(sign->name);
    const std::optional<char> page = PictureShowsPage(record, asked);
    if (!page) {
        return ErrorAnswer(
            404,
            asked ? QStringLiteral("nothing was sent to page %1 of \"%2\" "
                                   "from here")
                        .arg(QLatin1Char(*asked))
                        .arg(sign->name)
                  : QStringLiteral("nothing was sent to \"%1\" from here").arg(sign->name),
            asked ? QStringLiteral("page") : QString());
    }
    Result<QByteArray> picture =
        animated ? DrawSentPageGif(*sign, record, *page) : DrawSentPagePng(*sign, record, *page);
    if (!picture) {
        return ErrorAnswer(500, QString::fromStdString(picture.error().message));
    }
    return ApiAnswer{
        200, animated ? QByteArrayLiteral("image/gif") : QByteArrayLiteral("image/png"), *picture};
}

std::optional<ApiAnswer> SignService::chooseSigns(const QStringList& path,
                                                  std::vector<signs::Sign>& chosen) const {
    const bool group = path[1] == QStringLiteral("groups");
    const QString& target = path[2];
    if (group) {
        for (const signs::Sign& sign : m_list.signs) {
            if (sign.inGroup(target)) {
                chosen.push_back(sign);
            }
        }
        if (chosen.empty()) {
            return ErrorAnswer(404,
                               QStringLiteral("no sign is in a group called \"%1\"").arg(target),
                               QStringLiteral("group"));
        }
    } else if (const signs::Sign* sign = m_list.find(target)) {
        chosen.push_back(*sign);
    } else {
        return ErrorAnswer(404, QStringLiteral("no sign is called \"%1\"").arg(target),
                           QStringLiteral("sign"));
    }
    return std::nullopt;
}

ApiAnswer SignService::alertAnswer(const QStringList& path, const ApiRequest& request) {
    std::vector<signs::Sign> chosen;
    if (std::optional<ApiAnswer> none = chooseSigns(path, chosen)) {
        return *none;
    }
    if (path.size() == 4) {
        if (request.method != "POST") {
            return ErrorAnswer(405, QStringLiteral("%1 takes POST, not %2")
                                        .arg(QString::fromUtf8(request.path),
                                             QString::fromLatin1(request.method)));
        }
        std::variant<Refusal, QJsonObject> added = m_programmes->addAlert(chosen, request.body);
        if (const Refusal* refused = std::get_if<Refusal>(&added)) {
            return RefusalAnswer(*refused);
        }
        const QString id = std::get<QJsonObject>(added).value(QStringLiteral("alert")).toString();
        for (const signs::Sign& sign : chosen) {
            m_alertIds[sign.name.toLower()].append(id);
        }
        return JsonAnswer(201, std::get<QJsonObject>(added));
    }
    if (path.size() == 5 && path[4] == QStringLiteral("end")) {
        return request.method == "POST"
                   ? endEveryAlert(chosen)
                   : ErrorAnswer(405, QStringLiteral("%1 takes POST, not %2")
                                          .arg(QString::fromUtf8(request.path),
                                               QString::fromLatin1(request.method)));
    }
    const bool end =
        (path.size() == 5 && request.method == "DELETE") ||
        (path.size() == 6 && path[5] == QStringLiteral("end") && request.method == "POST");
    if (!end) {
        return ErrorAnswer(404, QStringLiteral("no such resource: %1; an alert ends with POST "
                                               ".../alerts/{id}/end or DELETE .../alerts/{id}")
                                    .arg(QString::fromUtf8(request.path)));
    }
    if (path.size() == 6) {
        QJsonObject body;
        if (std::optional<Refusal> refused = ReadBodyObject(request.body, {}, true, body)) {
            return RefusalAnswer(*refused);
        }
    }
    if (std::optional<Refusal> refused = m_programmes->endAlert(chosen, path[4])) {
        return RefusalAnswer(*refused);
    }
    return JsonAnswer(
        200, QJsonObject{{QStringLiteral("alert"), path[4]}, {QStringLiteral("ended"), true}});
}

ApiAnswer SignService::endEveryAlert(const std::vector<signs::Sign>& chosen) {
    QJsonArray ended;
    for (const signs::Sign& sign : chosen) {
        // Alerts that expired or went with a reload are refused here; the others end.
        for (const QString& id : m_alertIds[sign.name.toLower()]) {
            if (!m_programmes->endAlert({sign}, id) && !ended.contains(id)) {
                ended.append(id);
            }
        }
        m_alertIds.erase(sign.name.toLower());
    }
    return JsonAnswer(200, QJsonObject{{QStringLiteral("ended"), ended}});
}

QList<QByteArray> SignService::fieldTopics() const {
    return m_fields->board().mqttTopics();
}

bool SignService::fieldMessage(const QByteArray& topic, const QByteArray& payload) {
    return m_fields->board().takeMqtt(topic, payload);
}

void SignService::fieldsWithoutBroker(const QString& error) {
    m_fields->board().failMqtt(error);
}

ApiAnswer SignService::startCommand(const QStringList& path, const ApiRequest& request,
                                    const Answer& answer, bool& started) {
    std::vector<signs::Sign> chosen;
    if (std::optional<ApiAnswer> none = chooseSigns(path, chosen)) {
        return *none;
    }

    const QString& action = path[3];
    signs::SignCommand command;
    QJsonObject body;
    std::optional<Refusal> refused;
    char letter = 0;
    const QString sub = path.size() == 5 ? path[4] : QString();
    // The body of a command that takes none: empty, or an object without fields.
    const auto noFields = [&] { return ReadBodyObject(request.body, {}, true, body); };
    if (action == QStringLiteral("pages") && path.size() == 5) {
        refused = ReadPageLetter(path[4], letter);
        if (!refused && IsDocumentMediaType(request.contentType)) {
            refused =
                BuildDocumentPageCommand(request.body, letter, m_setup.graphicsFolder, command);
        } else if (!refused) {
            refused = ReadBodyObject(request.body, {QStringLiteral("text")}, false, body);
            if (!refused) {
                refused = BuildPageCommand(body, letter, m_setup.graphicsFolder, command);
            }
            if (!refused) {
                if (std::optional<ApiAnswer> kept = keepFieldPage(chosen, letter, body)) {
                    return *kept;
                }
            }
        }
    } else if (action == QStringLiteral("brightness") && path.size() == 4) {
        refused = ReadBodyObject(request.body, {QStringLiteral("level")}, false, body);
        if (!refused) {
            refused = BuildBrightnessCommand(body, command);
        }
    } else if (action == QStringLiteral("clock") && path.size() == 4) {
        refused = ReadBodyObject(request.body, {QStringLiteral("time")}, true, body);
        if (!refused) {
            refused = BuildClockCommand(body, command);
        }
    } else if (action == QStringLiteral("run") && path.size() == 5) {
        refused = ReadPageLetter(path[4], letter);
        if (!refused) {
            refused = noFields();
        }
        if (!refused) {
            command = signs::RunPageCommand(letter);
        }
    } else if (action == QStringLiteral("link") && path.size() == 4) {
        refused = ReadBodyObject(request.body, {QStringLiteral("pages")}, false, body);
        if (!refused) {
            refused = BuildLinkCommand(body, command);
        }
    } else if (action == QStringLiteral("schedules") && path.size() == 4) {
        refused = ReadBodyObject(request.body, {QStringLiteral("entries")}, false, body);
        if (!refused) {
            refused = BuildSchedulesCommand(body, command);
        }
    } else if (action == QStringLiteral("schedules") && sub == QStringLiteral("delete")) {
        refused = ReadBodyObject(request.body, {QStringLiteral("slots")}, false, body);
        if (!refused) {
            refused = BuildDeleteSchedulesCommand(body, command);
        }
    } else if (action == QStringLiteral("lines") && sub == QStringLiteral("delete")) {
        refused = ReadBodyObject(request.body, {QStringLiteral("lines")}, false, body);
        if (!refused) {
            refused = BuildDeleteLinesCommand(body, command);
        }
    } else if (action == QStringLiteral("delete-all") && path.size() == 4) {
        refused = noFields();
        command = signs::DeleteAllCommand();
    } else if (action == QStringLiteral("characters") && sub == QStringLiteral("default")) {
        refused = noFields();
        command = signs::RecallDefaultFontCommand();
    } else {
        return ErrorAnswer(404, QStringLiteral("no such command: %1; a sign or group takes "
                                               "pages/{letter}, brightness, clock, run/{letter}, "
                                               "link, schedules, schedules/delete, lines/delete, "
                                               "delete-all and characters/default")
                                    .arg(QString::fromUtf8(request.path)));
    }
    if (refused) {
        return RefusalAnswer(*refused);
    }
    bool wait = true;
    if (const std::optional<QString> given = QueryValue(request.query, QStringLiteral("wait"))) {
        if (*given != QStringLiteral("true") && *given != QStringLiteral("false")) {
            return ErrorAnswer(400, QStringLiteral("wait takes true or false"),
                               QStringLiteral("wait"));
        }
        wait = *given == QStringLiteral("true");
    }
    const std::size_t running = static_cast<std::size_t>(std::count_if(
        m_jobs.begin(), m_jobs.end(), [](const auto& entry) { return !entry.second->result; }));
    if (running >= kMaxRunningJobs) {
        return ErrorAnswer(503, QStringLiteral("%1 transfers are waiting for their lines; try "
                                               "again later")
                                    .arg(running));
    }

    const std::shared_ptr<Job> job =
        startJob(std::move(chosen), std::move(command), wait ? answer : Answer(), {});
    started = wait;
    return JsonAnswer(202, jobJson(*job));
}

std::shared_ptr<SignService::Job>
SignService::startJob(std::vector<signs::Sign> chosen, signs::SignCommand command,
                      const Answer& answer,
                      std::function<void(const signs::DispatchResult&)> ended) {
    auto job = std::make_shared<Job>();
    job->id = m_nextJob++;
    job->command = command.label;
    job->started = QDateTime::currentDateTimeUtc();
    for (const signs::Sign& sign : chosen) {
        job->signs.append(sign.name);
    }
    job->observer = std::make_unique<JobObserver>(*this, job->id, command.label);
    if (answer) {
        job->waiting.push_back(answer);
    }
    job->ended = std::move(ended);
    m_jobs[job->id] = job;
    job->run = m_dispatcher->start(std::move(chosen), std::move(command), job->observer.get());
    forgetOldJobs();
    return job;
}

// A page whose line has fields is kept as the template of the sign's page and sent by the
// send-on-change rule, so the answer says it was kept; a page without fields clears the
// template and is sent as before (nothing is answered here).
std::optional<ApiAnswer> SignService::keepFieldPage(const std::vector<signs::Sign>& chosen,
                                                    char letter, const QJsonObject& body) {
    std::string line;
    if (LineOfText(body.value(QStringLiteral("text")).toString(), line)) {
        return std::nullopt; // refused before, by BuildPageCommand
    }
    QStringList names;
    for (const signs::Sign& sign : chosen) {
        names.append(sign.name);
    }
    bool kept = false;
    if (std::optional<Refusal> refused = m_fields->takePage(names, letter, line, kept)) {
        return RefusalAnswer(*refused);
    }
    if (!kept) {
        return std::nullopt;
    }
    QJsonObject pages;
    for (const QString& name : names) {
        pages.insert(name, m_fields->templatesJson(name).value(QString(QLatin1Char(letter))));
    }
    return JsonAnswer(202, QJsonObject{{QStringLiteral("kept"), true},
                                       {QStringLiteral("page"), QString(QLatin1Char(letter))},
                                       {QStringLiteral("signs"), pages}});
}

void SignService::startFieldSend(const QString& sign, char letter, Bytes line) {
    const signs::Sign* target = m_list.find(sign);
    if (target == nullptr) {
        return;
    }
    auto graphics = std::make_shared<const FolderGraphicSource>(m_setup.graphicsFolder);
    startJob({*target}, signs::SendPageCommand(std::move(line), letter, std::move(graphics)), {},
             {});
}

bool SignService::transferRuns(const QString& sign) const {
    return std::any_of(m_jobs.begin(), m_jobs.end(), [&](const auto& entry) {
        return !entry.second->result && entry.second->signs.contains(sign);
    });
}

void SignService::jobEnded(std::uint64_t id, const signs::DispatchResult& result) {
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end()) {
        return;
    }
    Job& job = *it->second;
    job.result = result;
    const ApiAnswer answer = JsonAnswer(result.allSucceeded() ? 200 : 502, jobJson(job));
    std::vector<Answer> waiting = std::move(job.waiting);
    for (const Answer& send : waiting) {
        send(answer);
    }
    m_fields->poke(); // a page that waited for this sign's transfer may go now
    if (const auto ended = std::move(job.ended)) {
        ended(result);
    }
    Q_EMIT jobFinished(job.signs);
}

void SignService::forgetOldJobs() {
    std::size_t ended = 0;
    for (const auto& entry : m_jobs) {
        ended += entry.second->result ? 1 : 0;
    }
    for (auto it = m_jobs.begin(); it != m_jobs.end() && ended > kKeptEndedJobs;) {
        if (it->second->result) {
            it = m_jobs.erase(it);
            --ended;
        } else {
            ++it;
        }
    }
}

ApiAnswer SignService::jobAnswer(const QString& id) const {
    bool number = false;
    const qulonglong value = id.toULongLong(&number);
    const auto it = number ? m_jobs.find(value) : m_jobs.end();
    if (it == m_jobs.end()) {
        return ErrorAnswer(404,
                           QStringLiteral("no job %1 is known (ended jobs are kept for a "
                                          "while, then forgotten)")
                               .arg(id),
                           QStringLiteral("job"));
    }
    return JsonAnswer(200, jobJson(*it->second));
}

QJsonObject SignService::jobJson(const Job& job) {
    QJsonObject object{{QStringLiteral("job"), QString::number(job.id)},
                       {QStringLiteral("href"), QStringLiteral("/api/jobs/%1").arg(job.id)},
                       {QStringLiteral("command"), job.command},
                       {QStringLiteral("signs"), QJsonArray::fromStringList(job.signs)},
                       {QStringLiteral("started"), Iso(job.started)},
                       {QStringLiteral("done"), job.result.has_value()}};
    if (job.result) {
        QJsonArray outcomes;
        for (const signs::SignOutcome& end : job.result->outcomes) {
            outcomes.append(SignOutcomeJson(end));
        }
        object.insert(QStringLiteral("ok"), job.result->allSucceeded());
        object.insert(QStringLiteral("summary"), job.result->summary());
        object.insert(QStringLiteral("outcomes"), outcomes);
    }
    return object;
}

} // namespace lumivo::service
