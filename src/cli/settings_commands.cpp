// The sign's settings: `clock`, `run-page`, `brightness`, `set-id`.

#include "cli/sign_command.h"
#include "core/bytes.h"
#include "core/frame.h"
#include "core/payloads.h"
#include "signs/sign_commands.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

namespace lumivo::cli {
namespace {

std::string TwoDigitField(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The date and time text of the clock command for this moment.
std::pair<CivilDate, std::string> ClockTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
            TwoDigitField(local.tm_hour) + ":" + TwoDigitField(local.tm_min) + ":" +
                TwoDigitField(local.tm_sec)};
}

// "YYYY-MM-DD hh:mm:ss" into the date and the time text of the clock command.
std::pair<CivilDate, std::string> ParseClockTime(const std::string& t) {
    const bool shaped = t.size() == 19 && t[4] == '-' && t[7] == '-' && t[10] == ' ' &&
                        t[13] == ':' && t[16] == ':';
    const int year = shaped ? ParseDecimal(t.substr(0, 4)) : -1;
    const int month = shaped ? ParseDecimal(t.substr(5, 2)) : -1;
    const int day = shaped ? ParseDecimal(t.substr(8, 2)) : -1;
    const int hour = shaped ? ParseDecimal(t.substr(11, 2)) : -1;
    const int minute = shaped ? ParseDecimal(t.substr(14, 2)) : -1;
    const int second = shaped ? ParseDecimal(t.substr(17, 2)) : -1;
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (!shaped || year < 0 || month < 0 || day < 0 || !ymd.ok() || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59) {
        throw UsageError{"--time takes \"YYYY-MM-DD hh:mm:ss\", a real date and time"};
    }
    return {CivilDate{year, month, day}, t.substr(11)};
}

} // namespace

signs::SignCommand BuildClockCommand(const SignCommandCall& call) {
    const auto given = call.options.one("--time");
    auto [date, time] = given ? ParseClockTime(*given) : ClockTimeNow();
    return signs::SetClockCommand(date, std::move(time));
}

signs::SignCommand BuildRunPageCommand(const SignCommandCall& call) {
    return signs::RunPageCommand(PageLetter(call.options.required("--page")));
}

signs::SignCommand BuildBrightnessCommand(const SignCommandCall& call) {
    static const std::map<std::string, int> kLevels = {{"100", 0}, {"75", 1}, {"50", 2}, {"25", 3}};
    std::string level = call.options.required("--level");
    if (!level.empty() && level.back() == '%') {
        level.pop_back();
    }
    const auto it = kLevels.find(level);
    if (it == kLevels.end()) {
        throw UsageError{"--level takes 100, 75, 50 or 25"};
    }
    return signs::SetBrightnessCommand(it->second);
}

// Set ID is for the one sign on a line (it takes no sign ID), so it is not one of the commands
// for many signs and leaves nothing to record.
signs::SignCommand BuildSetIdCommand(const SignCommandCall& call) {
    const auto id = ParseSignId(call.options.required("--new-id"));
    if (!id || *id == 0) {
        throw UsageError{"--new-id takes two hexadecimal digits, 01..FF"};
    }
    signs::SignCommand command;
    command.label = QStringLiteral("ID");
    command.run = [newId = *id](const signs::Sign&, const link::PortOpener& open,
                                link::Clock& clock, const link::Progress&) {
        return link::RunSetId(open, clock, newId);
    };
    return command;
}

} // namespace lumivo::cli
