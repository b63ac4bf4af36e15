#pragma once

#include "core/bytes.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivo {

// A calendar date as the clock command needs it.
struct CivilDate {
    int year = 2000; // full year, e.g. 2026
    int month = 1;   // 1..12
    int day = 1;     // 1..31
};

// "<SC>" + yy + ww + mm + dd + hh + nn + ss; ww is the day of the week, "01" Sunday to "07"
// Saturday; hh, nn, ss are characters 1-2, 4-5 and 7-8 of the time text as typed.
Bytes SetClockPayload(const CivilDate& date, std::string_view timeText);

// True when the time text has a blank (or missing) digit position in hh:nn:ss.
bool TimeTextHasBlanks(std::string_view timeText);

// "<RP" + page letter + ">".
Bytes RunPagePayload(char pageLetter);

// Brightness levels in list order: 100%, 75%, 50%, 25%.
inline constexpr const char* kBrightnessLevels[] = {"100%", "75%", "50%", "25%"};
// "<B" + "A".."D" + ">" for the level index 0..3.
Bytes BrightnessPayload(int levelIndex);

// Set ID travels without a frame: "<ID><" + new ID + "><E>"; the sign echoes the two digits.
Bytes SetIdBytes(int newId);
bool SetIdEchoMatches(std::string_view echo, int newId);

// A schedule entry as the entry dialog keeps it: dates and times as typed, "mm/dd/yy hh:nn",
// blanks where a digit was left empty; pages are upper-case letters.
struct ScheduleEntry {
    std::string start;
    std::string end;
    std::string pages;
    bool operator==(const ScheduleEntry&) const = default;
};

inline constexpr int kMaxScheduleEntries = 5;

// Slot letter "A".."E" of the list position 0..4.
char ScheduleSlotLetter(int index);

// "<T" + slot + ">" + start as YYMMDDhhmm + end as YYMMDDhhmm + pages; pieces copied unchanged,
// blanks included.
Bytes SchedulePayload(int index, const ScheduleEntry& entry);

// The link-pages command: slot "A" covering 00-01-01 00:00 .. 99-12-30 23:59, pages upper-cased.
Bytes LinkPagesPayload(std::string_view pages);

// The entry dialog's date check: month (characters 1-2) above "12" or day (4-5) above "31",
// compared as texts byte by byte, is out of range. A blank position compares as a space.
bool ScheduleDateInRange(std::string_view dateText);

// The time correction applied after each key in an "hh:nn" field.
std::string CorrectScheduleTime(std::string_view timeText);

// The time correction applied after each key in the clock's "hh:nn:ss" field.
std::string CorrectClockTime(std::string_view timeText);

// One second later for a valid "hh:nn:ss" text; nullopt when the text is not a valid time
// (the clock then stays as it is).
std::optional<std::string> TickClockText(std::string_view timeText);

// Deletions on the sign.
Bytes DeleteSchedulePayload(int index);                   // "<DT" + slot + ">"
Bytes DeleteLinePayload(int lineNumber, char pageLetter); // "<DL" + 1|2 + "P" + page + ">"
inline constexpr std::string_view kDeleteAllPayload = "<D*>";

// Recall of the sign's default font.
inline constexpr std::string_view kRecallDefaultFontPayload = "<DU>";

} // namespace lumivo
