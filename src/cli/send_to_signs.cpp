// Sign commands for the signs of the sign list (--to).

#include "cli/send_to_signs.h"

#include "cli/sign_command.h"
#include "core/settings_file.h"
#include "link/clock.h"
#include "signs/service_runtime.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QStringList>

namespace lumivo::cli {
namespace {

std::string Text(const QString& text) {
    return text.toUtf8().toStdString();
}

signs::Dispatcher::OpenerFor OpenerForSigns(const CommandContext& context) {
    if (!context.openerFor) {
        return signs::PortOpenerForSigns(QString::fromStdString(context.settingsFile));
    }
    return [openerFor = context.openerFor](const signs::Sign& sign) {
        return openerFor(Text(sign.port));
    };
}

signs::Dispatcher::ClockFor ClockForSigns(const CommandContext& context) {
    return [clockFor = context.clockFor](const signs::Sign& sign) -> std::unique_ptr<link::Clock> {
        if (clockFor) {
            return clockFor(Text(sign.port));
        }
        return std::make_unique<link::RealClock>();
    };
}

} // namespace

std::vector<signs::Sign> ChooseSigns(const std::string& name,
                                     const std::vector<std::string>& namesAndGroups,
                                     std::ostream& err, const CommandContext& context) {
    const signs::SignList list = signs::ReadSignList(SettingsFile(context.settingsFile));
    for (const signs::SignListProblem& problem : list.problems) {
        err << "lumivo-cli " << name << ": " << Text(problem.text()) << "\n";
    }
    QStringList words;
    for (const std::string& word : namesAndGroups) {
        words.append(QString::fromUtf8(word.c_str()));
    }
    signs::Selection selection = signs::SelectSigns(list, words);
    if (!selection.unknown.isEmpty()) {
        throw UsageError{"--to: no sign and no group is called \"" +
                         Text(selection.unknown.front()) + "\" in the sign list"};
    }
    return std::move(selection.signs);
}

std::string OutcomeLineText(const QString& label, const signs::SignOutcome& outcome) {
    if (!outcome.started) {
        return "not sent (cancelled)";
    }
    if (!outcome.outcome.text.empty()) {
        return outcome.outcome.text;
    }
    if (!outcome.outcome.success) {
        return "failed";
    }
    std::string text = Text(label);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text + " sent";
}

int SendToSigns(const std::string& name, std::vector<signs::Sign> chosen,
                const signs::SignCommand& command, std::ostream& out, std::ostream& err,
                const CommandContext& context) {
    signs::SignStateStore state(signs::SignStatePath(context.settingsFile));
    if (const auto problem = state.loadProblem()) {
        err << "lumivo-cli " << name << ": " << *problem << "\n";
    }
    signs::Dispatcher dispatcher(OpenerForSigns(context),
                                 QString::fromStdString(context.settingsFile),
                                 ClockForSigns(context), &state);
    // A sign whose line a running lumivod owns goes through it.
    dispatcher.routeThroughService(
        signs::ServiceForSigns(QString::fromStdString(context.settingsFile)));
    const signs::DispatchResult result = dispatcher.run(std::move(chosen), command);
    for (const signs::SignOutcome& outcome : result.outcomes) {
        out << Text(outcome.sign) << ": " << OutcomeLineText(result.label, outcome) << "\n";
        if (!outcome.serviceNote.empty() &&
            (outcome.outcome.success || outcome.outcome.details.empty())) {
            err << "lumivo-cli " << name << ": " << Text(outcome.sign) << ": "
                << outcome.serviceNote << "\n";
        }
        if (!outcome.outcome.success && !outcome.outcome.details.empty()) {
            err << "lumivo-cli " << name << ": " << Text(outcome.sign) << ": "
                << outcome.outcome.details << "\n";
        }
    }
    out << Text(result.summary()) << "\n";
    out.flush();
    return result.allSucceeded() ? kExitOk : kExitFailure;
}

int DryRunOnSigns(const std::string& name, const std::vector<signs::Sign>& chosen,
                  const signs::SignCommand& command, std::ostream& out, std::ostream& err) {
    int status = kExitOk;
    for (const signs::Sign& sign : chosen) {
        const auto line = DryRunLine();
        const link::Outcome outcome = command.run(sign, line->opener(), line->clock(), {});
        const std::string written = line->written();
        out << "== " << Text(sign.name) << " (ID " << sign.id << "): " << written.size()
            << " bytes ==\n";
        out.write(written.data(), static_cast<std::streamsize>(written.size()));
        out << "\n";
        if (!outcome.success) {
            err << "lumivo-cli " << name << ": " << Text(sign.name) << ": " << outcome.text << "\n";
            status = kExitFailure;
        }
    }
    out.flush();
    return status;
}

} // namespace lumivo::cli
