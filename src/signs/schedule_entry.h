#pragma once

#include "core/payloads.h"
#include "core/result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lumivo::signs {

// The checks and corrections a schedule entry takes before it is sent, made the way the entry
// dialog makes them, for every caller that builds entries from text (the command line, the
// service). Each failure's message is the one the user is shown.

// True when every character is an ASCII letter (the empty text included): pages as the link and
// schedule commands take them.
bool AllLetters(std::string_view text);

// "mm/dd/yy hh:nn" as the entry dialog stores it: shaped so, digits or blanks in the number
// places, the date in the dialog's range, and the time corrected the dialog's way.
Result<std::string> ScheduleMoment(std::string_view text);

// Whether `pages` suit a schedule entry: up to 26 letters.
Status SchedulePagesFit(std::string_view pages);

// The entry of a start, an end and its pages (up to 26 letters, upper-cased). The start is
// checked before the end, so a mistake in the start is the one reported.
Result<ScheduleEntry> MakeScheduleEntry(std::string_view start, std::string_view end,
                                        std::string_view pages);

// Whether a list of `count` entries fits the sign's schedule slots.
Status ScheduleCountFits(std::size_t count);

} // namespace lumivo::signs
