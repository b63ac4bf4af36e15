#pragma once

#include "core/line_fields.h"
#include "core/settings_file.h"
#include "service/api_validation.h"
#include "service/programme.h"
#include "signs/dispatcher.h"
#include "signs/line_fill.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <variant>
#include <vector>

namespace lumivo::service {

// Alerts go to this page unless the request names one, so the pages a programme schedules keep
// their text while an alert shows.
inline constexpr char kDefaultAlertLetter = 'Z';
// The longest expiry an alert takes, in seconds (31 days).
inline constexpr qint64 kMaxAlertSeconds = 31LL * 24 * 3600;
// A failed transfer of a programme's page is tried again after 5 s, then twice as long each
// time, at most 5 minutes.
inline constexpr qint64 kFirstRetryMs = 5000;
inline constexpr qint64 kLongestRetryMs = 5 * 60 * 1000;
// The timer wakes at the next change, but at least this often, so a suspended machine or a
// clock set anew is caught up with.
inline constexpr qint64 kLongestSleepMs = 15 * 60 * 1000;

// How a programme's lines with fields are filled and kept current, from the service's fields.
struct ProgrammeFields {
    // Whether a name is a field of the service's settings.
    signs::IsSourceField isSourceField;
    // The line filled now, or nothing while a field it uses has no value yet.
    std::function<std::optional<Bytes>(const LineTemplate& line)> fill;
    // Keeps the line as the template of the sign's page, sent again when a field changes (the
    // send-on-change rule of the kept pages), or forgets it.
    std::function<void(const QString& sign, char letter, const LineTemplate& line)> keep;
    std::function<void(const QString& sign, char letter)> forget;
};

// The status of BuildProgrammePage's refusal when a field of the line has no value yet: the entry
// waits, it is not a failure.
inline constexpr int kWaitsForFieldStatus = 503;

// Why a programme's line cannot be filled by the service's fields (an unknown field, a bad
// format); empty when it can or has no fields.
QString ProgrammeLineProblem(const std::string& line, const ProgrammeFields& fields);

// The one place a programme's entry becomes the command that puts it on a sign: its page sent,
// then run. The line is checked as a page body's text is; a line with fields is filled by
// `fields` first, never half: while a field has no value the answer is kWaitsForFieldStatus.
std::optional<Refusal> BuildProgrammePage(const ProgrammeEntry& entry,
                                          const std::filesystem::path& graphicsFolder,
                                          signs::SignCommand& command,
                                          const ProgrammeFields& fields = {});

// Every sign's programme read from the settings: sections "[Programme NAME]" (see lumivod(1)).
// An entry with a problem is left out and named; the others load.
struct ProgrammesRead {
    std::map<QString, Programme> bySign; // by the sign's name as the list spells it
    QStringList problems;
};
ProgrammesRead ReadProgrammes(const SettingsFile& settings, const signs::SignList& list,
                              const std::filesystem::path& graphicsFolder,
                              const ProgrammeFields& fields = {});

// Puts on each sign the entry of its programme that applies, when that changes: through the
// service's own job path, one transfer per sign at a time, a timer set to the next change, a
// failed transfer tried again with a growing pause. Keeps the alerts added at run time.
class ProgrammeRunner final : public QObject {
    Q_OBJECT
public:
    using Ended = std::function<void(const signs::DispatchResult&)>;
    // Starts a command on one sign; `ended` is called on this object's thread.
    using StartJob = std::function<void(const signs::Sign&, signs::SignCommand, Ended)>;
    using Now = std::function<QDateTime()>;
    using RecordOf = std::function<signs::SignRecord(const QString& sign)>;

    ProgrammeRunner(StartJob start, Now now, RecordOf recordOf,
                    std::filesystem::path graphicsFolder, QObject* parent = nullptr);

    // Where lines with fields are filled; without it a line is sent as written.
    void setFields(ProgrammeFields fields) { m_fields = std::move(fields); }

    // Reads the programmes again for the signs of `list`; alerts of the signs still listed stay.
    // Returns the problems found.
    QStringList reload(const SettingsFile& settings, const signs::SignList& list);

    // An alert for each of the signs, from a request body {"text", "letter", "priority",
    // "expires"}: the answer's body, or why it is refused (nothing is added then).
    std::variant<Refusal, QJsonObject> addAlert(const std::vector<signs::Sign>& signs,
                                                const QByteArray& body);
    // Ends the alert on each of the signs that keeps it; refused when none does.
    std::optional<Refusal> endAlert(const std::vector<signs::Sign>& signs, const QString& id);

    // "programme" of the sign's state: the entry that applies and why, the next change.
    QJsonObject stateJson(const QString& sign) const;

    // Looks at every sign now: starts what is due and sets the timer.
    void update();

private:
    struct SignRun {
        signs::Sign sign;
        Programme programme;
        // What showed before the first alert of a sign without a fallback: it comes back then.
        std::optional<ProgrammeEntry> restore;
        std::optional<ProgrammeChoice> onSign; // put on the sign by the last transfer that ended
        std::optional<ProgrammeChoice> sending;
        int failures = 0;
        std::optional<QDateTime> retryAt;
        QString problem;
        std::optional<char> keptLetter; // the page whose template the fields keep current
    };

    void startShowing(SignRun& run, const ProgrammeChoice& choice);
    void transferEnded(const QString& sign, const ProgrammeChoice& choice,
                       const signs::DispatchResult& result);
    void armTimer(const QDateTime& now);
    SignRun* find(const QString& sign);
    const SignRun* find(const QString& sign) const;

    StartJob m_start;
    Now m_now;
    RecordOf m_recordOf;
    std::filesystem::path m_graphicsFolder;
    ProgrammeFields m_fields;
    std::map<QString, SignRun> m_runs; // by the sign's name folded to lower case
    std::uint64_t m_nextAlert = 1;
    QTimer m_timer;
};

} // namespace lumivo::service
