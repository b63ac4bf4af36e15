#include "service/programme.h"

#include "service/api_validation.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>

namespace lumivo::service {

namespace {

constexpr int kMinutesPerDay = 24 * 60;
constexpr int kPriorityBound = 1000000;
// Far enough ahead to see a whole week of a weekly programme from any day, with the day before
// (an entry running across midnight into today) and after.
constexpr int kDaysBefore = 1;
constexpr int kDaysAfter = 8;

const std::array<QString, 7> kDayNames = {
    QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"), QStringLiteral("thu"),
    QStringLiteral("fri"), QStringLiteral("sat"), QStringLiteral("sun")};

std::uint8_t DayBit(const QDate& date) {
    return static_cast<std::uint8_t>(1U << (date.dayOfWeek() - 1));
}

std::optional<int> DayIndex(const QString& word) {
    const QString lower = word.toLower();
    for (std::size_t i = 0; i < kDayNames.size(); ++i) {
        if (lower == kDayNames[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// "Mon-Fri", "Sat,Sun", "Fri-Mon" (round the week end), "daily".
std::optional<std::uint8_t> ReadDays(const QString& word) {
    if (word.compare(QStringLiteral("daily"), Qt::CaseInsensitive) == 0) {
        return std::uint8_t{0x7F};
    }
    std::uint8_t days = 0;
    for (const QString& part : word.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2) {
            return std::nullopt;
        }
        const std::optional<int> first = DayIndex(ends.front());
        const std::optional<int> last = DayIndex(ends.back());
        if (!first || !last) {
            return std::nullopt;
        }
        for (int day = *first;; day = (day + 1) % 7) {
            days = static_cast<std::uint8_t>(days | (1U << day));
            if (day == *last) {
                break;
            }
        }
    }
    return days;
}

// "HH:MM" as minutes after midnight; "24:00" only as an end.
std::optional<int> ReadClockTime(const QString& text, bool end) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2}):([0-9]{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    if (minutes > 59 || hours > 24 || (hours == 24 && (minutes != 0 || !end))) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

// An ISO time; one without an offset is read in the programme's zone.
std::optional<QDateTime> ReadTime(const QString& text, const QTimeZone& zone) {
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid()) {
        return std::nullopt;
    }
    if (time.timeSpec() == Qt::LocalTime) {
        time = QDateTime(time.date(), time.time(), zone);
    }
    return time.isValid() ? std::optional<QDateTime>(time) : std::nullopt;
}

EntryRead Fail(QString error) {
    return EntryRead{std::nullopt, std::move(error)};
}

} // namespace

QString ShowReasonName(ShowReason reason) {
    switch (reason) {
    case ShowReason::Alert:
        return QStringLiteral("alert");
    case ShowReason::Fallback:
        return QStringLiteral("fallback");
    case ShowReason::Scheduled:
        break;
    }
    return QStringLiteral("scheduled");
}

EntryRead ReadProgrammeEntry(const QString& name, const QString& text, const QTimeZone& zone,
                             bool fallback) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        return Fail(QStringLiteral("no \"|\" between the page letter and the line"));
    }
    ProgrammeEntry entry;
    entry.name = name;
    const QStringList words = text.left(bar).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return Fail(QStringLiteral("no page letter before the \"|\""));
    }
    const QString& letter = words.front();
    if (letter.size() != 1 || !letter[0].isLetter() || letter[0].unicode() > 0x7F) {
        return Fail(QStringLiteral("\"%1\" is not a page letter (A..Z)").arg(letter));
    }
    entry.letter = static_cast<char>(letter[0].toUpper().unicode());
    bool daysSeen = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        if (fallback) {
            return Fail(
                QStringLiteral("the fallback takes only a page letter, not \"%1\"").arg(word));
        }
        const QString lower = word.toLower();
        if (lower.startsWith(QStringLiteral("priority="))) {
            bool number = false;
            const int priority = word.mid(9).toInt(&number);
            if (!number || priority < -kPriorityBound || priority > kPriorityBound ||
                entry.priority) {
                return Fail(QStringLiteral("\"%1\" is not a priority (a whole number, given once)")
                                .arg(word));
            }
            entry.priority = priority;
        } else if (lower.startsWith(QStringLiteral("until="))) {
            const std::optional<QDateTime> until = ReadTime(word.mid(6), zone);
            if (!until || entry.expires) {
                return Fail(
                    QStringLiteral("\"%1\" is not an expiry (until=2026-12-31T23:00)").arg(word));
            }
            entry.expires = until;
        } else if (!word.isEmpty() && word[0].isDigit()) {
            const QStringList ends = word.split(QLatin1Char('-'));
            const std::optional<int> from =
                ends.size() == 2 ? ReadClockTime(ends[0], false) : std::nullopt;
            const std::optional<int> to =
                ends.size() == 2 ? ReadClockTime(ends[1], true) : std::nullopt;
            if (!from || !to || entry.fromMinute) {
                return Fail(
                    QStringLiteral("\"%1\" are not hours (HH:MM-HH:MM, given once)").arg(word));
            }
            if (*from == *to % kMinutesPerDay) {
                return Fail(QStringLiteral("the hours \"%1\" begin where they end; leave them "
                                           "out for the whole day")
                                .arg(word));
            }
            entry.fromMinute = from;
            entry.toMinute = to;
        } else {
            const std::optional<std::uint8_t> days = ReadDays(word);
            if (!days || daysSeen) {
                return Fail(QStringLiteral("\"%1\" are not days (Mon..Sun, as Mon-Fri or Sat,Sun, "
                                           "or daily; given once)")
                                .arg(word));
            }
            entry.days = *days;
            daysSeen = true;
        }
    }
    const QString line = text.mid(bar + 1).trimmed();
    if (line.isEmpty()) {
        return Fail(QStringLiteral("the line after the \"|\" is empty"));
    }
    if (const std::optional<Refusal> refused = LineOfText(line, entry.line)) {
        return Fail(QStringLiteral("the line: ") + refused->message);
    }
    return EntryRead{std::move(entry), QString()};
}

bool Programme::addAlert(std::uint64_t id, ProgrammeEntry alert) {
    if (m_alerts.size() >= kMaxAlertsPerSign) {
        return false;
    }
    m_alerts.push_back(Alert{id, std::move(alert)});
    return true;
}

bool Programme::endAlert(std::uint64_t id) {
    const auto it = std::find_if(m_alerts.begin(), m_alerts.end(),
                                 [id](const Alert& alert) { return alert.id == id; });
    if (it == m_alerts.end()) {
        return false;
    }
    m_alerts.erase(it);
    return true;
}

void Programme::dropExpired(const QDateTime& now) {
    std::erase_if(m_alerts, [&](const Alert& alert) {
        return alert.entry.expires && now >= *alert.entry.expires;
    });
}

bool Programme::applies(const ProgrammeEntry& entry, const QDateTime& now) const {
    if (entry.expires && now >= *entry.expires) {
        return false;
    }
    const QDateTime local = now.toTimeZone(m_zone);
    const QDate today = local.date();
    if (!entry.fromMinute || !entry.toMinute) {
        return (entry.days & DayBit(today)) != 0;
    }
    const int minute = local.time().hour() * 60 + local.time().minute();
    const int from = *entry.fromMinute;
    const int to = *entry.toMinute;
    if (from < to) {
        return (entry.days & DayBit(today)) != 0 && minute >= from && minute < to;
    }
    // Across midnight: the evening part on a day of the entry, the morning part on the day after.
    return ((entry.days & DayBit(today)) != 0 && minute >= from) ||
           ((entry.days & DayBit(today.addDays(-1))) != 0 && minute < to);
}

std::optional<ProgrammeChoice> Programme::at(const QDateTime& now) const {
    int highestScheduled = 0;
    for (const ProgrammeEntry& entry : m_entries) {
        highestScheduled = std::max(highestScheduled, entry.priority.value_or(0));
    }
    // Ranked by priority, then alert over scheduled, then the newer alert or the earlier entry.
    using Rank = std::tuple<int, int, int>;
    std::optional<Rank> best;
    std::optional<ProgrammeChoice> choice;
    const auto consider = [&](const Rank& rank, const ProgrammeEntry& entry, ShowReason reason,
                              std::uint64_t id) {
        if (!best || rank > *best) {
            best = rank;
            choice = ProgrammeChoice{entry, reason, id};
        }
    };
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (applies(m_entries[i], now)) {
            consider(Rank{m_entries[i].priority.value_or(0), 0, -static_cast<int>(i)}, m_entries[i],
                     ShowReason::Scheduled, 0);
        }
    }
    for (std::size_t i = 0; i < m_alerts.size(); ++i) {
        const ProgrammeEntry& alert = m_alerts[i].entry;
        if (!alert.expires || now < *alert.expires) {
            consider(Rank{alert.priority.value_or(highestScheduled + 1), 1, static_cast<int>(i)},
                     alert, ShowReason::Alert, m_alerts[i].id);
        }
    }
    if (!choice && m_fallback) {
        choice = ProgrammeChoice{*m_fallback, ShowReason::Fallback, 0};
    }
    return choice;
}

std::vector<QDateTime> Programme::boundariesAfter(const QDateTime& now) const {
    std::vector<QDateTime> times;
    const auto add = [&](const QDateTime& time) {
        if (time.isValid() && time > now) {
            times.push_back(time);
        }
    };
    const QDate today = now.toTimeZone(m_zone).date();
    const auto startOf = [&](const QDate& date, int minute) {
        return QDateTime(date.addDays(minute / kMinutesPerDay),
                         QTime(0, 0).addSecs((minute % kMinutesPerDay) * 60), m_zone);
    };
    for (int offset = -kDaysBefore; offset <= kDaysAfter; ++offset) {
        const QDate date = today.addDays(offset);
        add(startOf(date, 0));
        for (const ProgrammeEntry& entry : m_entries) {
            if (entry.fromMinute && entry.toMinute) {
                add(startOf(date, *entry.fromMinute));
                add(startOf(date, *entry.toMinute));
            }
        }
    }
    for (const ProgrammeEntry& entry : m_entries) {
        if (entry.expires) {
            add(*entry.expires);
        }
    }
    for (const Alert& alert : m_alerts) {
        if (alert.entry.expires) {
            add(*alert.entry.expires);
        }
    }
    // A time that falls in a gap of the clock (the hour skipped in spring) begins at the change.
    const QDateTime horizon = now.addDays(kDaysAfter + 1);
    for (const QTimeZone::OffsetData& change : m_zone.transitions(now, horizon)) {
        add(change.atUtc);
    }
    std::sort(times.begin(), times.end());
    return times;
}

std::optional<QDateTime> Programme::nextChange(const QDateTime& now) const {
    const std::optional<ProgrammeChoice> current = at(now);
    for (const QDateTime& time : boundariesAfter(now)) {
        if (at(time) != current) {
            return time.toUTC();
        }
    }
    return std::nullopt;
}

} // namespace lumivo::service
