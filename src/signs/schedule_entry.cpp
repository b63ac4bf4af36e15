#include "signs/schedule_entry.h"

#include "core/bytes.h"

#include <algorithm>

namespace lumivo::signs {

bool AllLetters(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

Result<std::string> ScheduleMoment(std::string_view text) {
    const std::string part(text);
    const bool shaped =
        part.size() == 14 && part[2] == '/' && part[5] == '/' && part[8] == ' ' && part[11] == ':';
    if (!shaped) {
        return Error{"a schedule date and time is \"mm/dd/yy hh:nn\", not \"" + part + "\""};
    }
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 9u, 10u, 12u, 13u}) {
        if (part[i] != ' ' && (part[i] < '0' || part[i] > '9')) {
            return Error{"a schedule date and time holds digits or blanks: \"" + part + "\""};
        }
    }
    if (!ScheduleDateInRange(part.substr(0, 8))) {
        return Error{"Date is out of Range"};
    }
    return part.substr(0, 9) + CorrectScheduleTime(part.substr(9));
}

Status SchedulePagesFit(std::string_view pages) {
    if (!AllLetters(pages) || pages.size() > 26) {
        return Error{"schedule pages are up to 26 letters, not \"" + std::string(pages) + "\""};
    }
    return Ok{};
}

Result<ScheduleEntry> MakeScheduleEntry(std::string_view start, std::string_view end,
                                        std::string_view pages) {
    if (Status fit = SchedulePagesFit(pages); !fit) {
        return fit.error();
    }
    Result<std::string> from = ScheduleMoment(start);
    if (!from) {
        return from.error();
    }
    Result<std::string> to = ScheduleMoment(end);
    if (!to) {
        return to.error();
    }
    return ScheduleEntry{std::move(from).value(), std::move(to).value(), AsciiUpper(pages)};
}

Status ScheduleCountFits(std::size_t count) {
    if (count > static_cast<std::size_t>(kMaxScheduleEntries)) {
        return Error{" Max only items 5 "};
    }
    return Ok{};
}

} // namespace lumivo::signs
