#pragma once

#include "signs/dispatcher.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QByteArray>
#include <QJsonObject>
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
};

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

    // Stops every transfer after the frame it is in and waits for them at most `boundMs`. A
    // sign still waiting then (for a slow sign's reply) is recorded as cut short, and false is
    // returned: the caller ends without waiting for its line.
    bool stopTransfers(int boundMs);

private:
    struct Job;
    class JobObserver;

    ApiAnswer answerNow(const ApiRequest& request, const QStringList& path, bool& started,
                        const Answer& answer);
    ApiAnswer startCommand(const QStringList& path, const ApiRequest& request, const Answer& answer,
                           bool& started);
    ApiAnswer signAnswer(const QString& name) const;
    ApiAnswer signsAnswer() const;
    ApiAnswer jobAnswer(const QString& id) const;
    ApiAnswer pictureAnswer(const QString& name, const QByteArray& query, bool animated) const;
    void jobEnded(std::uint64_t id, const signs::DispatchResult& result);
    void forgetOldJobs();
    static QJsonObject jobJson(const Job& job);

    ServiceSetup m_setup;
    signs::SignList m_list;
    signs::SignStateStore m_state;
    std::uint64_t m_nextJob = 1;
    std::map<std::uint64_t, std::shared_ptr<Job>> m_jobs;
    // Last: destroyed first, so the line workers are stopped while the jobs they report to live.
    std::unique_ptr<signs::Dispatcher> m_dispatcher;
};

} // namespace lumivo::service
