#pragma once

#include "core/graphic.h"
#include "core/payloads.h"
#include "core/result.h"
#include "core/userfont.h"
#include "link/outcome.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace lumivo::signs {

// A page as last sent: the 8-bit line and the graphics it used, by number (1 for G01).
struct SentPage {
    std::string line;
    std::map<int, Graphic> graphics;
    QDateTime sent;
};

// The end of the last command run on a sign.
struct LastOutcome {
    QString command; // "page A", "clock", "brightness" ...
    link::Outcome outcome;
    QDateTime at;
    bool cancelled = false;
};

// What a sign holds as last sent from this program. A sign cannot report what it holds, so this
// is what was sent to it successfully, never what was read back.
struct SignRecord {
    std::map<char, SentPage> pages; // by page letter
    std::optional<int> brightnessPercent;
    std::optional<QDateTime> clockSet; // the time the clock was set to
    std::optional<char> runningPage;
    std::string linkedPages;
    std::vector<ScheduleEntry> schedules;
    std::vector<UserCharRecord> userCharacters;
    std::optional<LastOutcome> last;
};

// The records of every sign by name, kept in one JSON file written through the atomic writer
// after each change. Safe to use from the dispatcher's line workers at once.
class SignStateStore {
public:
    // Reads the file if there is one. A damaged file (not JSON, values of the wrong kind, or
    // written by a newer version) is named by `loadProblem`; the signs whose records read well
    // load, the others start empty. The file is rewritten at the next change, and the damaged
    // one is kept first, through the atomic writer, as "signs-state.json.damaged". A file that
    // cannot be read at all is named and never replaced.
    explicit SignStateStore(std::filesystem::path file);

    std::optional<std::string> loadProblem() const;
    SignRecord record(const QString& sign) const;
    // Changes the sign's record and writes the file; the error says why a write failed (the
    // change is kept in memory).
    Status update(const QString& sign, const std::function<void(SignRecord&)>& change);
    void forget(const QString& sign);

private:
    // Reads the records of the file's bytes; called by the constructor only.
    void load(const std::string& bytes);
    // Writes every record; the caller holds the mutex.
    Status writeLocked();

    std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    std::map<QString, SignRecord> m_records;
    std::optional<std::string> m_loadProblem;
    // The bytes of a file that did not read whole, saved beside it before the first rewrite.
    std::optional<std::string> m_damaged;
    bool m_unreadable = false; // the file is there but could not be read: it is left alone
};

// A sign's record as a JSON object, as the state file keeps it under the sign's name and
// `lumivo-cli signs --json` shows it: pages by letter (line, graphics by number with their rows,
// when sent), brightness, clockSet, runningPage, linkedPages, schedules, userCharacters (hex)
// and the last outcome. Keys of what was never sent are left out.
QJsonObject SignRecordJson(const SignRecord& record);

// The letter of the page sent last to the sign, or nothing when none was.
std::optional<char> LastSentPage(const SignRecord& record);

// The state file beside the settings file: "signs-state.json".
std::filesystem::path SignStatePath(const std::filesystem::path& settingsFile);

} // namespace lumivo::signs
