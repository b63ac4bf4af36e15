#include "signs/sign_check.h"

#include "link/check_report.h"
#include "signs/service_runtime.h"

namespace lumivo::signs {

SignCommand LineCheckCommand() {
    SignCommand command;
    command.label = QStringLiteral("check");
    command.run = [](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                     const SignProgress& progress) {
        if (progress.step) {
            progress.step("Checking ID " + sign.id);
        }
        const link::LineCheckResult result = link::CheckLine(open, clock, sign.id);
        const std::string port = sign.port.toStdString();
        const link::CheckReport report =
            link::ReportCheck(result, result.device.empty() ? port : result.device, port);
        return link::Outcome(report.answers ? link::BoxKind::Information : link::BoxKind::Plain,
                             report.verdict, report.answers, report.text);
    };
    // No route: lumivod refuses it, and says it owns the line.
    command.service.refusal = QStringLiteral("check");
    return command;
}

std::optional<std::string> ServiceOwnsLine(const Sign& sign, const QString& settingsFile,
                                           const std::string& action) {
    const std::optional<ServiceRoute> route = ServiceForSigns(settingsFile)(sign);
    if (!route) {
        return std::nullopt;
    }
    return "lumivod (process " + std::to_string(route->pid) + ") owns the line " +
           sign.port.toStdString() + ": a " + action +
           " from here would mix its frames with lumivod's, so the line was not opened. Stop "
           "lumivod to " +
           action + " the line from here.";
}

} // namespace lumivo::signs
