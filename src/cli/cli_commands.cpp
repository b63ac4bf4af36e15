#include "cli/cli_commands.h"

#include "cli/cli_common.h"
#include "core/compiler.h"
#include "core/document.h"
#include "core/file_io.h"
#include "core/frame.h"
#include "link/fake_port.h"
#include "link/port_factory.h"
#include "link/port_names.h"
#include "link/runners.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace lumivo::cli {

const char* const kSignCommandsUsage =
    "usage: lumivo-cli COMMAND (--port PORT | --dry-run) [--sign XX] [options]\n"
    "\n"
    "Commands and their options:\n"
    "  send             --page L (default A), --graphics DIR (default: the editor's Graphdata\n"
    "                   folder), then --text-file FILE (raw 8-bit line), --document FILE.lmv,\n"
    "                   or TEXT (UTF-8, characters up to U+00FF)\n"
    "  clock            --time \"YYYY-MM-DD hh:mm:ss\" (default: now)\n"
    "  run-page         --page L\n"
    "  brightness       --level 100|75|50|25\n"
    "  set-id           --new-id XX (01..FF; takes no --sign: the sign on the line takes it)\n"
    "  link-pages       --pages LETTERS (may be empty)\n"
    "  schedules        --entry \"mm/dd/yy hh:nn,mm/dd/yy hh:nn,PAGES\", up to five, sent as\n"
    "                   slots A..E in the order given\n"
    "  delete-schedules --slots 1,3 (numbers 1..5)\n"
    "  delete-lines     --line A1 --line D2 ... (page letter and line 1 or 2); always sent\n"
    "                   page A to Z, line 1 before line 2\n"
    "  delete-all\n"
    "  font-transfer    --font FILE.fon\n"
    "  recall-font\n"
    "\n"
    "Common options:\n"
    "  --port PORT      COM1..COM8 (mapped in the [Ports] section of lumivo.INI), a device path\n"
    "                   such as /dev/ttyUSB0, or tcp://host:port\n"
    "  --dry-run        write to standard output exactly the bytes the command would send, as\n"
    "                   if every frame were acknowledged, and nothing else\n"
    "  --sign XX        sign ID 00..FF (default 00: every sign, no reply is read)\n"
    "\n"
    "With --port the outcome text is printed as the editor shows it. Exit status: 0 success\n"
    "or an \"is Over\" end, 1 failure (\" Open Com Error \" included), 2 usage error.\n";

namespace {

const std::set<std::string> kCommands = {
    "send",         "clock",      "run-page",      "brightness",
    "set-id",       "link-pages", "schedules",     "delete-schedules",
    "delete-lines", "delete-all", "font-transfer", "recall-font"};

struct UsageError {
    std::string message;
};

constexpr OptionSpec kSignCommandOptions[] = {
    {"--port", OptionKind::Value},      {"--sign", OptionKind::Value},
    {"--page", OptionKind::Value},      {"--graphics", OptionKind::Value},
    {"--text-file", OptionKind::Value}, {"--document", OptionKind::Value},
    {"--time", OptionKind::Value},      {"--level", OptionKind::Value},
    {"--new-id", OptionKind::Value},    {"--pages", OptionKind::Value},
    {"--entry", OptionKind::Repeated},  {"--slots", OptionKind::Value},
    {"--line", OptionKind::Repeated},   {"--font", OptionKind::Value},
    {"--dry-run", OptionKind::Flag},    kHelpOption,
};

// The options of one command, read once with the command table; usage problems are thrown.
class Options {
public:
    explicit Options(CommandLine line) : m_line(std::move(line)) {}

    bool has(const std::string& flag) const { return m_line.has(flag); }
    std::vector<std::string> all(const std::string& name) const { return m_line.values(name); }
    std::optional<std::string> one(const std::string& name) const { return m_line.value(name); }
    std::string required(const std::string& name) const {
        auto value = one(name);
        if (!value) {
            throw UsageError{"missing " + name};
        }
        return *value;
    }
    const std::vector<std::string>& positionals() const { return m_line.positionals(); }

private:
    CommandLine m_line;
};

char PageLetter(const std::string& text) {
    const std::string upper = AsciiUpper(text);
    if (upper.size() != 1 || upper[0] < 'A' || upper[0] > 'Z') {
        throw UsageError{"a page is one letter A..Z, not \"" + text + "\""};
    }
    return upper[0];
}

bool AllLetters(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

std::string TwoDigitField(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// "YYYY-MM-DD hh:mm:ss" into the date and the time text of the clock command.
std::pair<CivilDate, std::string> ParseClockTime(const std::optional<std::string>& given) {
    if (!given) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return {CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                TwoDigitField(local.tm_hour) + ":" + TwoDigitField(local.tm_min) + ":" +
                    TwoDigitField(local.tm_sec)};
    }
    const std::string& t = *given;
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

// One schedule entry as the entry dialog would store it.
ScheduleEntry ParseScheduleEntry(const std::string& text) {
    const auto first = text.find(',');
    const auto second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || text.find(',', second + 1) != std::string::npos) {
        throw UsageError{"--entry takes \"mm/dd/yy hh:nn,mm/dd/yy hh:nn,PAGES\""};
    }
    auto when = [](const std::string& part) {
        const bool shaped = part.size() == 14 && part[2] == '/' && part[5] == '/' &&
                            part[8] == ' ' && part[11] == ':';
        if (!shaped) {
            throw UsageError{"a schedule date and time is \"mm/dd/yy hh:nn\", not \"" + part +
                             "\""};
        }
        for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 9u, 10u, 12u, 13u}) {
            if (part[i] != ' ' && (part[i] < '0' || part[i] > '9')) {
                throw UsageError{"a schedule date and time holds digits or blanks: \"" + part +
                                 "\""};
            }
        }
        if (!ScheduleDateInRange(part.substr(0, 8))) {
            throw UsageError{"Date is out of Range"};
        }
        return part.substr(0, 9) + CorrectScheduleTime(part.substr(9));
    };
    const std::string pages = text.substr(second + 1);
    if (!AllLetters(pages) || pages.size() > 26) {
        throw UsageError{"schedule pages are up to 26 letters, not \"" + pages + "\""};
    }
    return ScheduleEntry{when(text.substr(0, first)),
                         when(text.substr(first + 1, second - first - 1)), AsciiUpper(pages)};
}

std::string ReadLine(const Options& options) {
    const auto textFile = options.one("--text-file");
    const auto document = options.one("--document");
    const auto& positionals = options.positionals();
    const int given = (textFile ? 1 : 0) + (document ? 1 : 0) + (positionals.empty() ? 0 : 1);
    if (given != 1 || positionals.size() > 1) {
        throw UsageError{"send takes one of --text-file FILE, --document FILE.lmv or TEXT"};
    }
    if (textFile) {
        Result<Bytes> bytes = ReadLineFile(*textFile);
        if (!bytes) {
            throw Error{bytes.error().message};
        }
        return *bytes;
    }
    if (document) {
        const DocumentRead read = ReadMessageDocument(*document);
        if (!read.ok()) {
            throw Error{read.message};
        }
        return read.document.text();
    }
    auto latin1 = Utf8ToLatin1(positionals.front());
    if (!latin1) {
        throw UsageError{"TEXT holds a character above U+00FF, which a sign line cannot carry"};
    }
    return *latin1;
}

// A dry run: a scripted line that acknowledges every frame (and echoes Set ID).
std::unique_ptr<link::FakeLine> DryRunLine() {
    auto line = std::make_unique<link::FakeLine>();
    line->setResponder([](const std::string& frame) -> std::string {
        if (frame.rfind("<ID><", 0) == 0 && frame.size() >= 7) {
            return frame.substr(5, 2);
        }
        return "ACK";
    });
    return line;
}

// Draws "[#####     ] 40%" on a terminal.
link::Progress TerminalProgress(std::ostream& err) {
    return [&err](int value, int maximum) {
        if (maximum <= 0) {
            return;
        }
        const int width = 30;
        const int filled = std::clamp(value * width / maximum, 0, width);
        err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(width - filled), ' ') << "] "
            << std::clamp(value * 100 / maximum, 0, 100) << "%" << std::flush;
    };
}

} // namespace

bool IsSignCommand(const std::string& name) {
    return kCommands.count(name) > 0;
}

int RunSignCommand(const std::string& name, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err, const CommandContext& context) {
    CommandLine line = ParseCommandLine(args, kSignCommandOptions);
    if (const auto status =
            AnswerStandardOptions(line, "lumivo-cli " + name, kSignCommandsUsage, out, err)) {
        return *status;
    }
    try {
        const Options options(std::move(line));
        const bool dryRun = options.has("--dry-run");
        const auto portName = options.one("--port");
        if (dryRun == portName.has_value()) {
            throw UsageError{"give either --port PORT or --dry-run"};
        }
        if (portName && portName->size() >= 3 && AsciiUpper(portName->substr(0, 3)) == "COM" &&
            !(portName->size() == 4 && (*portName)[3] >= '1' && (*portName)[3] <= '8')) {
            throw UsageError{"--port takes COM1..COM8, a device path or tcp://host:port"};
        }
        std::string sign = "00";
        if (const auto given = options.one("--sign")) {
            if (name == "set-id") {
                throw UsageError{"set-id takes no --sign: the sign on the line takes the new ID"};
            }
            const auto id = ParseSignId(*given);
            if (!id) {
                throw UsageError{"--sign takes two hexadecimal digits, 00..FF"};
            }
            sign = SignIdText(*id);
        }
        if (name != "send" && !options.positionals().empty()) {
            throw UsageError{"unexpected argument " + options.positionals().front()};
        }

        std::unique_ptr<link::FakeLine> dryLine = dryRun ? DryRunLine() : nullptr;
        const link::PortOpener opener =
            dryRun ? dryLine->opener()
                   : (context.openerFor ? context.openerFor(*portName) : link::PortOpener{});
        link::RealClock realClock;
        link::Clock& clock = dryRun ? dryLine->clock() : static_cast<link::Clock&>(realClock);
        const link::Progress progress =
            (!dryRun && context.progressToTerminal) ? TerminalProgress(err) : link::Progress{};

        link::Outcome outcome;
        if (name == "send") {
            const std::string line = ReadLine(options);
            const char page = PageLetter(options.one("--page").value_or("A"));
            const FolderGraphicSource graphics(
                options.one("--graphics").value_or(context.graphicsFolder.string()));
            outcome = link::RunSendMessage(opener, clock, {line, sign, page, &graphics}, progress);
            if (progress) {
                err << "\n";
            }
        } else if (name == "clock") {
            const auto [date, time] = ParseClockTime(options.one("--time"));
            outcome = link::RunSetClock(opener, clock, sign, date, time);
        } else if (name == "run-page") {
            outcome = link::RunRunPage(opener, clock, sign, PageLetter(options.required("--page")));
        } else if (name == "brightness") {
            static const std::map<std::string, int> kLevels = {
                {"100", 0}, {"75", 1}, {"50", 2}, {"25", 3}};
            std::string level = options.required("--level");
            if (!level.empty() && level.back() == '%') {
                level.pop_back();
            }
            const auto it = kLevels.find(level);
            if (it == kLevels.end()) {
                throw UsageError{"--level takes 100, 75, 50 or 25"};
            }
            outcome = link::RunSetBrightness(opener, clock, sign, it->second);
        } else if (name == "set-id") {
            const auto id = ParseSignId(options.required("--new-id"));
            if (!id || *id == 0) {
                throw UsageError{"--new-id takes two hexadecimal digits, 01..FF"};
            }
            outcome = link::RunSetId(opener, clock, *id);
        } else if (name == "link-pages") {
            const std::string pages = options.one("--pages").value_or("");
            if (!AllLetters(pages)) {
                throw UsageError{"--pages takes letters only"};
            }
            outcome = link::RunLinkPages(opener, clock, sign, pages);
        } else if (name == "schedules") {
            std::vector<ScheduleEntry> entries;
            for (const std::string& entry : options.all("--entry")) {
                entries.push_back(ParseScheduleEntry(entry));
            }
            if (entries.size() > static_cast<std::size_t>(kMaxScheduleEntries)) {
                throw UsageError{" Max only items 5 "};
            }
            outcome = link::RunSendSchedules(opener, clock, sign, entries);
        } else if (name == "delete-schedules") {
            std::array<bool, kMaxScheduleEntries> checked{};
            std::stringstream slots(options.one("--slots").value_or(""));
            std::string slot;
            while (std::getline(slots, slot, ',')) {
                const int n = ParseDecimal(slot);
                if (n < 1 || n > kMaxScheduleEntries) {
                    throw UsageError{"--slots takes numbers 1..5 separated by commas"};
                }
                checked[static_cast<std::size_t>(n - 1)] = true;
            }
            outcome = link::RunDeleteSchedules(opener, clock, sign, checked);
        } else if (name == "delete-lines") {
            link::PageLineMarks marks{};
            for (const std::string& line : options.all("--line")) {
                const std::string upper = AsciiUpper(line);
                if (upper.size() != 2 || upper[0] < 'A' || upper[0] > 'Z' ||
                    (upper[1] != '1' && upper[1] != '2')) {
                    throw UsageError{"--line takes a page letter and a line number, as A1 or D2"};
                }
                marks[static_cast<std::size_t>(upper[0] - 'A')]
                     [static_cast<std::size_t>(upper[1] - '1')] = true;
            }
            outcome = link::RunDeletePageLines(opener, clock, sign, marks);
        } else if (name == "delete-all") {
            outcome = link::RunDeleteAll(opener, clock, sign);
        } else if (name == "font-transfer") {
            const std::string file = options.required("--font");
            Result<FontFileContents> font = ReadFontFile(file);
            if (!font) {
                err << "lumivo-cli " << name << ": " << file << ":" << font.error().message << "\n";
                return kExitFailure;
            }
            if (font->damaged) {
                err << "lumivo-cli " << name << ": " << file << ": " << font->damage << "\n";
            }
            outcome = link::RunFontTransfer(opener, clock, sign, font->records, progress).outcome;
            if (progress) {
                err << "\n";
            }
        } else if (name == "recall-font") {
            outcome = link::RunRecallDefaultFont(opener, clock, sign);
        } else {
            throw UsageError{"unknown command " + name};
        }

        if (dryRun) {
            const std::string written = dryLine->written();
            out.write(written.data(), static_cast<std::streamsize>(written.size()));
            if (!outcome.success) {
                err << "lumivo-cli " << name << ": " << outcome.text << "\n";
            }
        } else if (!outcome.text.empty()) {
            out << outcome.text << "\n";
        }
        // What the editor puts in the box's details (the device and the system's reason).
        if (!outcome.success && !outcome.details.empty()) {
            err << "lumivo-cli " << name << ": " << outcome.details << "\n";
        }
        out.flush();
        return outcome.success ? kExitOk : kExitFailure;
    } catch (const UsageError& e) {
        err << "lumivo-cli " << name << ": " << e.message << "\n" << kSignCommandsUsage;
        return kExitUsage;
    } catch (const Error& e) {
        err << "lumivo-cli " << name << ": " << e.message << "\n";
        return kExitFailure;
    }
}

} // namespace lumivo::cli
