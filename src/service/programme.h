#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivo::service {

// Why an entry shows: it is scheduled now, it is an alert, or nothing else applies.
enum class ShowReason { Scheduled, Alert, Fallback };
QString ShowReasonName(ShowReason reason); // "scheduled", "alert", "fallback"

// One entry of a sign's programme: the page it fills and runs, the line it holds, and when it
// applies. The line is held as the editor holds it; it is turned into a page by the one function
// that builds a programme's page (programme_runner.cpp).
struct ProgrammeEntry {
    QString name; // "Entry3", "fallback", "alert 7": named in errors and in the state
    char letter = 'A';
    std::string line;
    std::uint8_t days = 0x7F; // bit 0 Monday .. bit 6 Sunday
    // Minutes after midnight, from (inclusive) and to (exclusive); to may be 1440, and to below
    // from runs across midnight into the next day. None: the whole day.
    std::optional<int> fromMinute;
    std::optional<int> toMinute;
    std::optional<int> priority; // an alert without one outranks every scheduled entry
    std::optional<QDateTime> expires;

    bool operator==(const ProgrammeEntry&) const = default;
};

// What a programme shows at a time: a copy of the entry, and why.
struct ProgrammeChoice {
    ProgrammeEntry entry;
    ShowReason reason = ShowReason::Scheduled;
    std::uint64_t alertId = 0; // the alert's id when reason is Alert

    bool operator==(const ProgrammeChoice&) const = default;
};

// Alerts a sign keeps at once, beyond which a new one is refused.
inline constexpr std::size_t kMaxAlertsPerSign = 16;
// Entries a programme reads from the settings: Entry1 .. Entry64.
inline constexpr int kMaxProgrammeEntries = 64;

// A sign's programme: scheduled entries, a fallback, and alerts added while it runs. Pure: every
// answer is for the time it is given, read in the programme's time zone.
//
// What applies at a time: of the alerts not expired and the scheduled entries whose day and
// hours hold (and not expired), the one of the highest priority; an alert without a priority
// ranks above every scheduled entry. On equal priority an alert beats a scheduled entry, a newer
// alert an older one, and an entry listed earlier one listed later. When none applies the
// fallback shows. An entry whose hours run across midnight belongs to the day it starts on.
class Programme {
public:
    explicit Programme(QTimeZone zone = QTimeZone::systemTimeZone()) : m_zone(std::move(zone)) {}

    void setEntries(std::vector<ProgrammeEntry> entries) { m_entries = std::move(entries); }
    void setFallback(std::optional<ProgrammeEntry> fallback) { m_fallback = std::move(fallback); }
    const std::vector<ProgrammeEntry>& entries() const { return m_entries; }
    const std::optional<ProgrammeEntry>& fallback() const { return m_fallback; }
    const QTimeZone& zone() const { return m_zone; }
    bool isEmpty() const { return m_entries.empty() && !m_fallback && m_alerts.empty(); }

    // Adds the alert under `id`; false when kMaxAlertsPerSign are kept already.
    bool addAlert(std::uint64_t id, ProgrammeEntry alert);
    bool endAlert(std::uint64_t id); // false when no alert of that id is kept
    // Forgets the alerts expired at `now`.
    void dropExpired(const QDateTime& now);
    std::size_t alertCount() const { return m_alerts.size(); }
    // Takes over the alerts of another programme of the same sign (a reload of the settings).
    void keepAlertsOf(const Programme& before) { m_alerts = before.m_alerts; }

    std::optional<ProgrammeChoice> at(const QDateTime& now) const;
    // The first time after `now` at which `at` answers differently; none when it never will.
    std::optional<QDateTime> nextChange(const QDateTime& now) const;

private:
    bool applies(const ProgrammeEntry& entry, const QDateTime& now) const;
    std::vector<QDateTime> boundariesAfter(const QDateTime& now) const;

    struct Alert {
        std::uint64_t id = 0;
        ProgrammeEntry entry;
    };
    QTimeZone m_zone;
    std::vector<ProgrammeEntry> m_entries;
    std::optional<ProgrammeEntry> m_fallback;
    std::vector<Alert> m_alerts; // oldest first
};

// Reads one entry as the settings write it (see lumivod(1)):
//   "B Mon-Fri 07:00-11:00 priority=5 until=2026-12-31T23:00 | <Red>Breakfast"
// the words before the first '|' (a letter first, then days, hours, priority and expiry in any
// order, each at most once), the line after it (UTF-8, characters up to U+00FF). A fallback takes
// the letter alone. The error names what is wrong; the caller names the entry.
struct EntryRead {
    std::optional<ProgrammeEntry> entry;
    QString error;
};
EntryRead ReadProgrammeEntry(const QString& name, const QString& text, const QTimeZone& zone,
                             bool fallback);

} // namespace lumivo::service
