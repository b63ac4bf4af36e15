#pragma once

#include "signs/dispatcher.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace lumivo::service {

class FieldService;

// A request as the HTTP layer hands it over: nothing of the server library shows through.
struct ApiRequest {
    QByteArray method;        // "GET", "POST" ...
    QByteArray path;          // as sent, percent-encoded, without the query
    QByteArray query;         // after the '?', percent-encoded; empty when none
    QByteArray authorization; // the Authorization header
    QByteArray contentType;   // the Content-Type header; empty when none
    QByteArray body;
};

struct ApiAnswer {
    int status = 200;
    QByteArray contentType = QByteArrayLiteral("application/json");
    QByteArray body;
};

// Bodies larger than this are refused (413) before they are read as JSON.
inline constexpr qsizetype kMaxBodyBytes = 1024 * 1024;
// Transfers not ended yet, beyond which new ones are refused (503), and ended jobs kept for
// GET /api/jobs/{id}.
inline constexpr std::size_t kMaxRunningJobs = 256;
inline constexpr std::size_t kKeptEndedJobs = 1000;

struct ServiceSetup {
    QString settingsFile;                   // the sign list and the COM port mapping
    std::filesystem::path stateFile;        // what each sign was last sent
    std::filesystem::path graphicsFolder;   // the graphics a page's line names
    QByteArray token;                       // the bearer token every request must carry
    signs::Dispatcher::OpenerFor openerFor; // empty: each sign's own port
    signs::Dispatcher::ClockFor clockFor;   // empty: the real clock
    // Told one line per sign of every job and per refused request; called from the line
    // workers too, so it must be safe to call from any thread.
    std::function<void(const QString& line)> log;
    // The time fields are filled at, the send-on-change rule counts with and the programmes
    // are read at; empty: the real clock.
    std::function<QDateTime()> now;
};

class ProgrammeRunner;
class PreviewDrawer;

// The sign service: the sign list, the dispatcher that owns the lines and the state of every
// sign, answering API requests. Transfers run on the dispatcher's line workers; a request that
// waits for one is answered when it ends, and everything else is answered at once, so no
// request waits for another.
class SignService final : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<void(ApiAnswer)>;

    explicit SignService(ServiceSetup setup, QObject* parent = nullptr);
    ~SignService() override;

    // Answers the request through `answer`, always on this object's thread: at once, or when
    // the transfer it started has ended.
    void handle(const ApiRequest& request, Answer answer);

    // Reads the sign list again; the problems found, as lines for the user. Transfers under way
    // keep the signs they were given.
    QStringList reloadSigns();
    std::optional<std::string> stateProblem() const { return m_state.loadProblem(); }
    std::size_t signCount() const { return m_list.signs.size(); }
    const std::vector<signs::Sign>& signList() const { return m_list.signs; }

    // Stops every transfer after the frame it is in and waits for the lines; what was cut short
    // is recorded in the sign's state as cancelled. Answers still owed are dropped.
    void shutDown();

    // The topics whose messages the mqtt fields take, and a message of one of them (false when
    // no field takes it); every mqtt field marked failed when there is no broker.
    QList<QByteArray> fieldTopics() const;
    bool fieldMessage(const QByteArray& topic, const QByteArray& payload);
    void fieldsWithoutBroker(const QString& error);

    // Stops every transfer after the frame it is in and waits for them at most `boundMs`. A
    // sign still waiting then (for a slow sign's reply) is recorded as cut short, and false is
    // returned: the caller ends without waiting for its line.
    bool stopTransfers(int boundMs);

Q_SIGNALS:
    // A job ended: the state of these signs has changed.
    void jobFinished(const QStringList& signs);

private:
    struct Job;
    class JobObserver;

    ApiAnswer answerNow(const ApiRequest& request, const QStringList& path, bool& started,
                        const Answer& answer);
    ApiAnswer startCommand(const QStringList& path, const ApiRequest& request, const Answer& answer,
                           bool& started);
    // The signs of /api/signs/{name} or /api/groups/{group}; an answer when there are none.
    std::optional<ApiAnswer> chooseSigns(const QStringList& path,
                                         std::vector<signs::Sign>& chosen) const;
    ApiAnswer alertAnswer(const QStringList& path, const ApiRequest& request);
    // Ends every alert added to the signs; the ids ended.
    ApiAnswer endEveryAlert(const std::vector<signs::Sign>& chosen);
    // Starts a job on the dispatcher; `answer` (may be empty) is told its end, and so is `ended`.
    std::shared_ptr<Job> startJob(std::vector<signs::Sign> chosen, signs::SignCommand command,
                                  const Answer& answer,
                                  std::function<void(const signs::DispatchResult&)> ended);
    ApiAnswer signAnswer(const QString& name) const;
    ApiAnswer signsAnswer() const;
    ApiAnswer jobAnswer(const QString& id) const;
    ApiAnswer pictureAnswer(const QString& name, const QByteArray& query, bool animated) const;
    std::optional<ApiAnswer> keepFieldPage(const std::vector<signs::Sign>& chosen, char letter,
                                           const QJsonObject& body);
    void startFieldSend(const QString& sign, char letter, Bytes line);
    bool transferRuns(const QString& sign) const;
    // The routes the web page uses beyond the commands (web_routes.cpp): the tag list, the
    // length and first problem of a line, and its animated preview. Empty status: not one.
    ApiAnswer webAnswer(const ApiRequest& request, const QString& what, bool& started,
                        const Answer& answer);
    void jobEnded(std::uint64_t id, const signs::DispatchResult& result);
    void forgetOldJobs();
    static QJsonObject jobJson(const Job& job);

    ServiceSetup m_setup;
    signs::SignList m_list;
    signs::SignStateStore m_state;
    std::uint64_t m_nextJob = 1;
    std::map<std::uint64_t, std::shared_ptr<Job>> m_jobs;
    std::unique_ptr<FieldService> m_fields;
    // The ids of the alerts added to each sign (by name in lower case), for ending every one.
    std::map<QString, QStringList> m_alertIds;
    // Puts each sign's programme on it through startJob.
    std::unique_ptr<ProgrammeRunner> m_programmes;
    std::unique_ptr<PreviewDrawer> m_previews;
    // Last: destroyed first, so the line workers are stopped while the jobs they report to live.
    std::unique_ptr<signs::Dispatcher> m_dispatcher;
};

} // namespace lumivo::service
