// The pages and schedules the sign keeps: `link-pages`, `schedules`, `delete-schedules`,
// `delete-lines`, `delete-all`.

#include "cli/sign_command.h"
#include "core/bytes.h"
#include "core/payloads.h"
#include "signs/sign_commands.h"

#include <array>
#include <sstream>

namespace lumivo::cli {
namespace {

// "mm/dd/yy hh:nn" as the entry dialog stores it (the time corrected the dialog's way).
std::string ScheduleMoment(const std::string& part) {
    const bool shaped =
        part.size() == 14 && part[2] == '/' && part[5] == '/' && part[8] == ' ' && part[11] == ':';
    if (!shaped) {
        throw UsageError{"a schedule date and time is \"mm/dd/yy hh:nn\", not \"" + part + "\""};
    }
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 9u, 10u, 12u, 13u}) {
        if (part[i] != ' ' && (part[i] < '0' || part[i] > '9')) {
            throw UsageError{"a schedule date and time holds digits or blanks: \"" + part + "\""};
        }
    }
    if (!ScheduleDateInRange(part.substr(0, 8))) {
        throw UsageError{"Date is out of Range"};
    }
    return part.substr(0, 9) + CorrectScheduleTime(part.substr(9));
}

// One schedule entry, "start,end,PAGES", as the entry dialog would store it.
ScheduleEntry ParseScheduleEntry(const std::string& text) {
    const auto first = text.find(',');
    const auto second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || text.find(',', second + 1) != std::string::npos) {
        throw UsageError{"--entry takes \"mm/dd/yy hh:nn,mm/dd/yy hh:nn,PAGES\""};
    }
    const std::string pages = text.substr(second + 1);
    if (!AllLetters(pages) || pages.size() > 26) {
        throw UsageError{"schedule pages are up to 26 letters, not \"" + pages + "\""};
    }
    // Braces read the start before the end, so a mistake in the start is the one reported.
    return ScheduleEntry{ScheduleMoment(text.substr(0, first)),
                         ScheduleMoment(text.substr(first + 1, second - first - 1)),
                         AsciiUpper(pages)};
}

} // namespace

signs::SignCommand BuildLinkPagesCommand(const SignCommandCall& call) {
    const std::string pages = call.options.one("--pages").value_or("");
    if (!AllLetters(pages)) {
        throw UsageError{"--pages takes letters only"};
    }
    return signs::LinkPagesCommand(pages);
}

signs::SignCommand BuildSchedulesCommand(const SignCommandCall& call) {
    std::vector<ScheduleEntry> entries;
    for (const std::string& entry : call.options.all("--entry")) {
        entries.push_back(ParseScheduleEntry(entry));
    }
    if (entries.size() > static_cast<std::size_t>(kMaxScheduleEntries)) {
        throw UsageError{" Max only items 5 "};
    }
    return signs::SendSchedulesCommand(std::move(entries));
}

signs::SignCommand BuildDeleteSchedulesCommand(const SignCommandCall& call) {
    std::array<bool, kMaxScheduleEntries> checked{};
    std::stringstream slots(call.options.one("--slots").value_or(""));
    std::string slot;
    while (std::getline(slots, slot, ',')) {
        const int n = ParseDecimal(slot);
        if (n < 1 || n > kMaxScheduleEntries) {
            throw UsageError{"--slots takes numbers 1..5 separated by commas"};
        }
        checked[static_cast<std::size_t>(n - 1)] = true;
    }
    return signs::DeleteSchedulesCommand(checked);
}

signs::SignCommand BuildDeleteLinesCommand(const SignCommandCall& call) {
    link::PageLineMarks marks{};
    for (const std::string& line : call.options.all("--line")) {
        const std::string upper = AsciiUpper(line);
        if (upper.size() != 2 || upper[0] < 'A' || upper[0] > 'Z' ||
            (upper[1] != '1' && upper[1] != '2')) {
            throw UsageError{"--line takes a page letter and a line number, as A1 or D2"};
        }
        marks[static_cast<std::size_t>(upper[0] - 'A')][static_cast<std::size_t>(upper[1] - '1')] =
            true;
    }
    return signs::DeletePageLinesCommand(marks);
}

signs::SignCommand BuildDeleteAllCommand(const SignCommandCall&) {
    return signs::DeleteAllCommand();
}

} // namespace lumivo::cli
