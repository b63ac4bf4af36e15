#include "core/payloads.h"

#include "core/frame.h"

#include <chrono>
#include <cstdio>

namespace lumivo {

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// Characters first..first+1 (1-based) of a text, blanks where the text is too short.
std::string Piece(std::string_view text, std::size_t first) {
    std::string piece;
    for (std::size_t i = first - 1; i < first + 1; ++i) {
        piece += i < text.size() ? text[i] : ' ';
    }
    return piece;
}

void Clamp(std::string& text, std::size_t oneBased, char limit) {
    if (oneBased <= text.size() && text[oneBased - 1] > limit) {
        text[oneBased - 1] = limit;
    }
}

// Shared by both time fields: first hour digit at most 2, an hour of 2x at most 23.
void ClampHour(std::string& text) {
    if (text.size() >= 2 && text[0] == '2' && text[1] > '3') {
        text[0] = '2';
        text[1] = '3';
    }
}

} // namespace

Bytes SetClockPayload(const CivilDate& date, std::string_view timeText) {
    using namespace std::chrono;
    const year_month_day ymd{year{date.year}, month{static_cast<unsigned>(date.month)},
                             day{static_cast<unsigned>(date.day)}};
    const unsigned weekdayFromSunday = weekday{sys_days{ymd}}.c_encoding(); // 0 = Sunday
    Bytes payload = "<SC>";
    payload += TwoDigits(((date.year % 100) + 100) % 100);
    payload += Hex2(static_cast<std::uint8_t>(weekdayFromSunday + 1));
    payload += TwoDigits(date.month);
    payload += TwoDigits(date.day);
    payload += Piece(timeText, 1);
    payload += Piece(timeText, 4);
    payload += Piece(timeText, 7);
    return payload;
}

bool TimeTextHasBlanks(std::string_view timeText) {
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (i >= timeText.size() || timeText[i] < '0' || timeText[i] > '9') {
            return true;
        }
    }
    return false;
}

Bytes RunPagePayload(char pageLetter) {
    return std::string("<RP") + pageLetter + ">";
}

Bytes BrightnessPayload(int levelIndex) {
    return std::string("<B") + static_cast<char>('A' + levelIndex) + ">";
}

Bytes SetIdBytes(int newId) {
    return "<ID><" + SignIdText(newId) + "><E>";
}

bool SetIdEchoMatches(std::string_view echo, int newId) {
    return echo == SignIdText(newId);
}

char ScheduleSlotLetter(int index) {
    return static_cast<char>('A' + index);
}

Bytes SchedulePayload(int index, const ScheduleEntry& entry) {
    Bytes payload = "<T";
    payload += ScheduleSlotLetter(index);
    payload += '>';
    for (const std::string* when : {&entry.start, &entry.end}) {
        payload += Piece(*when, 7);  // year
        payload += Piece(*when, 1);  // month
        payload += Piece(*when, 4);  // day
        payload += Piece(*when, 10); // hour
        payload += Piece(*when, 13); // minute
    }
    payload += entry.pages;
    return payload;
}

Bytes LinkPagesPayload(std::string_view pages) {
    return SchedulePayload(0, ScheduleEntry{"01/01/00 00:00", "12/30/99 23:59", AsciiUpper(pages)});
}

bool ScheduleDateInRange(std::string_view dateText) {
    return Piece(dateText, 1) <= "12" && Piece(dateText, 4) <= "31";
}

std::string CorrectScheduleTime(std::string_view timeText) {
    std::string text(timeText);
    Clamp(text, 1, '2');
    Clamp(text, 4, '5');
    ClampHour(text);
    return text;
}

std::string CorrectClockTime(std::string_view timeText) {
    std::string text(timeText);
    Clamp(text, 1, '2');
    Clamp(text, 4, '5');
    Clamp(text, 7, '5');
    ClampHour(text);
    return text;
}

std::optional<std::string> TickClockText(std::string_view timeText) {
    // Valid means hh:nn:ss (surrounding blanks allowed) with hh < 24, nn and ss < 60.
    std::string_view t = timeText;
    while (!t.empty() && t.front() == ' ') {
        t.remove_prefix(1);
    }
    while (!t.empty() && t.back() == ' ') {
        t.remove_suffix(1);
    }
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') {
        return std::nullopt;
    }
    int hh = ParseDecimal(t.substr(0, 2));
    int nn = ParseDecimal(t.substr(3, 2));
    int ss = ParseDecimal(t.substr(6, 2));
    if (hh < 0 || nn < 0 || ss < 0 || hh > 23 || nn > 59 || ss > 59) {
        return std::nullopt;
    }
    if (++ss == 60) {
        ss = 0;
        if (++nn == 60) {
            nn = 0;
            hh = hh + 1 > 23 ? 0 : hh + 1;
        }
    }
    return TwoDigits(hh) + ":" + TwoDigits(nn) + ":" + TwoDigits(ss);
}

Bytes DeleteSchedulePayload(int index) {
    return std::string("<DT") + ScheduleSlotLetter(index) + ">";
}

Bytes DeleteLinePayload(int lineNumber, char pageLetter) {
    return "<DL" + std::to_string(lineNumber) + "P" + pageLetter + ">";
}

} // namespace lumivo
