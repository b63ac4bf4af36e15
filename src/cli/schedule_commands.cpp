// The pages and schedules the sign keeps: `link-pages`, `schedules`, `delete-schedules`,
// `delete-lines`, `delete-all`.

#include "cli/sign_command.h"
#include "core/bytes.h"
#include "core/payloads.h"
#include "signs/schedule_entry.h"
#include "signs/sign_commands.h"

#include <array>
#include <sstream>

namespace lumivo::cli {
namespace {

template <class T> T OrUsageError(Result<T> result) {
    if (!result) {
        throw UsageError{result.error().message};
    }
    return std::move(result).value();
}

// One schedule entry, "start,end,PAGES", as the entry dialog would store it.
ScheduleEntry ParseScheduleEntry(const std::string& text) {
    const auto first = text.find(',');
    const auto second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || text.find(',', second + 1) != std::string::npos) {
        throw UsageError{"--entry takes \"mm/dd/yy hh:nn,mm/dd/yy hh:nn,PAGES\""};
    }
    return OrUsageError(signs::MakeScheduleEntry(text.substr(0, first),
                                                 text.substr(first + 1, second - first - 1),
                                                 text.substr(second + 1)));
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
    (void)OrUsageError(signs::ScheduleCountFits(entries.size()));
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
