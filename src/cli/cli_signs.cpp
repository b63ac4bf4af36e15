// `signs`: the sign list, what each sign was last sent from here, and changes to the list.

#include "cli/cli_signs.h"

#include "core/command_line.h"
#include "core/frame.h"
#include "core/settings_file.h"
#include "signs/sign_list.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <optional>

namespace lumivo::cli {

const char* const kSignsUsage =
    "usage: lumivo-cli signs [--json]\n"
    "       lumivo-cli signs add NAME --port PORT --id XX [--group G]... [--colours 1|3]\n"
    "                        [--width N]\n"
    "       lumivo-cli signs remove NAME\n"
    "\n"
    "Lists the signs of the sign list (sections [Sign NAME] of the settings file) with what each\n"
    "was last sent from here, or adds or removes one. A sign cannot report what it holds: the\n"
    "state shown is what this program sent it, recorded in signs-state.json beside the settings.\n"
    "  --json           print an array of objects with name, port, id, groups and state\n"
    "  --port PORT      COM1..COM8, a device path, or tcp://host:port\n"
    "  --id XX          the sign's ID, 01..FF\n"
    "  --group G        a group the sign is in; may be repeated\n"
    "  --colours 1|3    one or three colours (default 3)\n"
    "  --width N        the sign's width in columns, for the preview (default 80)\n"
    "Exit status: 0 done, 1 failure (an unknown sign to remove, a file not written), 2 usage\n"
    "error (a name already listed or a bad value included).\n";

namespace {

constexpr OptionSpec kSignsOptions[] = {kHelpOption,
                                        {"--json", OptionKind::Flag},
                                        {"--port", OptionKind::Value},
                                        {"--id", OptionKind::Value},
                                        {"--group", OptionKind::Repeated},
                                        {"--colours", OptionKind::Value},
                                        {"--width", OptionKind::Value}};

constexpr const char* kProgram = "lumivo-cli signs";

std::string Text(const QString& text) {
    return text.toUtf8().toStdString();
}

QString FromText(const std::string& text) {
    return QString::fromUtf8(text.c_str());
}

std::string TimeText(const QDateTime& at) {
    return Text(at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

// The pages a record holds, "A, C", or "none".
std::string PagesText(const signs::SignRecord& record) {
    std::string pages;
    for (const auto& [letter, page] : record.pages) {
        pages += (pages.empty() ? "" : ", ") + std::string(1, letter);
    }
    return pages.empty() ? "none" : pages;
}

// "page A at 2026-12-09 16:40:02: Page A sent" or the box text, quoted, of a failure.
std::string LastText(const signs::LastOutcome& last) {
    std::string text = Text(last.command) + " at " + TimeText(last.at) + ": ";
    if (last.cancelled) {
        text += "cancelled, ";
    }
    if (last.outcome.text.empty()) {
        return text + (last.outcome.success ? "succeeded" : "failed");
    }
    return text + (last.outcome.success ? "" : "failed, ") + "\"" + last.outcome.text + "\"";
}

QJsonObject SignJson(const signs::Sign& sign, const signs::SignRecord& record) {
    return {{QStringLiteral("name"), sign.name},
            {QStringLiteral("port"), sign.port},
            {QStringLiteral("id"), FromText(sign.id)},
            {QStringLiteral("groups"), QJsonArray::fromStringList(sign.groups)},
            {QStringLiteral("colours"), sign.colours},
            {QStringLiteral("width"), sign.columns},
            {QStringLiteral("state"), signs::SignRecordJson(record)}};
}

void PrintSign(const signs::Sign& sign, const signs::SignRecord& record, std::ostream& out) {
    out << Text(sign.name) << "\n"
        << "  port " << Text(sign.port) << ", ID " << sign.id << ", " << sign.colours
        << (sign.colours == 1 ? " colour, " : " colours, ") << sign.columns << " columns\n"
        << "  groups: "
        << (sign.groups.isEmpty() ? std::string("none")
                                  : Text(sign.groups.join(QStringLiteral(", "))))
        << "\n"
        << "  last: " << (record.last ? LastText(*record.last) : std::string("nothing sent yet"))
        << "\n"
        << "  pages held: " << PagesText(record) << "\n";
}

int ListSigns(const CommandLine& line, std::ostream& out, std::ostream& err,
              const CommandContext& context) {
    const signs::SignList list = signs::ReadSignList(SettingsFile(context.settingsFile));
    for (const signs::SignListProblem& problem : list.problems) {
        err << kProgram << ": " << Text(problem.text()) << "\n";
    }
    const signs::SignStateStore state(signs::SignStatePath(context.settingsFile));
    if (const auto problem = state.loadProblem()) {
        err << kProgram << ": " << *problem << "\n";
    }
    if (line.has("--json")) {
        QJsonArray array;
        for (const signs::Sign& sign : list.signs) {
            array.append(SignJson(sign, state.record(sign.name)));
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
        return kExitOk;
    }
    if (list.signs.empty()) {
        out << "The sign list is empty. Add a sign with: lumivo-cli signs add NAME --port PORT "
               "--id XX\n";
        return kExitOk;
    }
    out << "Each sign's state is as last sent from here: a sign cannot report what it holds.\n";
    for (const signs::Sign& sign : list.signs) {
        out << "\n";
        PrintSign(sign, state.record(sign.name), out);
    }
    return kExitOk;
}

// A whole number option, or `fallback` when it is not given.
Result<int> NumberOption(const CommandLine& line, std::string_view option, int fallback) {
    const auto value = line.value(option);
    if (!value) {
        return fallback;
    }
    const std::optional<int> number = ParseIniInt(*value);
    if (!number) {
        return Error{std::string(option) + " takes a whole number, not \"" + *value + "\""};
    }
    return *number;
}

int AddSign(const CommandLine& line, std::ostream& out, std::ostream& err,
            const CommandContext& context) {
    const std::vector<std::string>& words = line.positionals();
    if (words.size() != 2) {
        return ReportUsageError(err, kProgram,
                                "signs add takes one NAME (quote a name with blanks)", kSignsUsage);
    }
    const auto port = line.value("--port");
    const auto id = line.value("--id");
    if (!port || !id) {
        return ReportUsageError(err, kProgram, "signs add needs --port PORT and --id XX",
                                kSignsUsage);
    }
    signs::Sign sign;
    sign.name = FromText(words[1]).trimmed();
    sign.port = FromText(*port);
    const std::optional<int> parsed = ParseSignId(*id);
    sign.id = parsed ? SignIdText(*parsed) : *id;
    for (const std::string& group : line.values("--group")) {
        sign.groups.append(FromText(group).trimmed());
    }
    const Result<int> colours = NumberOption(line, "--colours", sign.colours);
    const Result<int> columns = NumberOption(line, "--width", sign.columns);
    for (const Result<int>* number : {&colours, &columns}) {
        if (!*number) {
            return ReportUsageError(err, kProgram, number->error().message, kSignsUsage);
        }
    }
    sign.colours = *colours;
    sign.columns = *columns;
    if (const auto problem = signs::CheckSign(sign)) {
        return ReportUsageError(err, kProgram, Text(problem->text()), kSignsUsage);
    }
    const SettingsFile settings(context.settingsFile);
    const signs::SignList list = signs::ReadSignList(settings);
    if (list.find(sign.name)) {
        return ReportUsageError(err, kProgram,
                                "a sign called \"" + Text(sign.name) + "\" is already in the list",
                                kSignsUsage);
    }
    // Two signs of one ID on one wire would both take every frame meant for either.
    const QString lineKey = signs::LineKey(sign, QString::fromStdString(context.settingsFile));
    for (const signs::Sign& other : list.signs) {
        if (other.id == sign.id &&
            signs::LineKey(other, QString::fromStdString(context.settingsFile)) == lineKey) {
            return ReportUsageError(err, kProgram,
                                    "\"" + Text(other.name) + "\" already has ID " + sign.id +
                                        " on " + Text(sign.port),
                                    kSignsUsage);
        }
    }
    if (const Status written = signs::WriteSign(settings, sign); !written) {
        err << kProgram << ": " << written.error().message << "\n";
        return kExitFailure;
    }
    out << "Added \"" << Text(sign.name) << "\" (" << Text(sign.port) << ", ID " << sign.id
        << ").\n";
    return kExitOk;
}

int RemoveSign(const CommandLine& line, std::ostream& out, std::ostream& err,
               const CommandContext& context) {
    const std::vector<std::string>& words = line.positionals();
    if (words.size() != 2) {
        return ReportUsageError(
            err, kProgram, "signs remove takes one NAME (quote a name with blanks)", kSignsUsage);
    }
    const SettingsFile settings(context.settingsFile);
    const signs::SignList list = signs::ReadSignList(settings);
    const QString asked = FromText(words[1]).trimmed();
    QString name;
    if (const signs::Sign* sign = list.find(asked)) {
        name = sign->name;
    } else {
        // A sign left out for a problem is still a section of the file the user may remove.
        for (const signs::SignListProblem& problem : list.problems) {
            if (problem.sign.compare(asked, Qt::CaseInsensitive) == 0) {
                name = problem.sign;
            }
        }
    }
    if (name.isEmpty()) {
        err << kProgram << ": no sign called \"" << Text(asked) << "\" is in the list\n";
        return kExitFailure;
    }
    if (const Status removed = signs::RemoveSign(settings, name); !removed) {
        err << kProgram << ": " << removed.error().message << "\n";
        return kExitFailure;
    }
    // A sign of the same name added later starts with nothing recorded.
    signs::SignStateStore state(signs::SignStatePath(context.settingsFile));
    state.forget(name);
    out << "Removed \"" << Text(name) << "\".\n";
    return kExitOk;
}

} // namespace

int RunSignsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandContext& context) {
    const CommandLine line = ParseCommandLine(args, kSignsOptions);
    if (const auto status = AnswerStandardOptions(line, kProgram, kSignsUsage, out, err)) {
        return *status;
    }
    const std::vector<std::string>& words = line.positionals();
    const std::string action = words.empty() ? "" : words.front();
    const bool changes = action == "add" || action == "remove";
    if (!changes && !words.empty()) {
        return ReportUsageError(err, kProgram, "unknown action " + action + " (add, remove)",
                                kSignsUsage);
    }
    const bool signOptions = line.has("--port") || line.has("--id") || line.has("--group") ||
                             line.has("--colours") || line.has("--width");
    if (action != "add" && signOptions) {
        return ReportUsageError(err, kProgram,
                                "only signs add takes --port, --id, --group, --colours and --width",
                                kSignsUsage);
    }
    if (changes && line.has("--json")) {
        return ReportUsageError(err, kProgram, "only the list takes --json", kSignsUsage);
    }
    if (action == "add") {
        return AddSign(line, out, err, context);
    }
    if (action == "remove") {
        return RemoveSign(line, out, err, context);
    }
    return ListSigns(line, out, err, context);
}

} // namespace lumivo::cli
