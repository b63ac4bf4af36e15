#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_page.h"
#include "core/program_folder.h"
#include "link/port_factory.h"

#include <QCoreApplication>
#include <QString>

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char* const kUsage =
    "usage: lumivo-cli COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  page     compile a sign line and write its page stream to standard output\n"
    "  send, clock, run-page, brightness, set-id, link-pages, schedules, delete-schedules,\n"
    "  delete-lines, delete-all, font-transfer, recall-font\n"
    "           talk to a sign (--port PORT) or show the bytes (--dry-run)\n"
    "\n"
    "Run 'lumivo-cli COMMAND --help' for the options of a command.\n";

lumivo::link::PortOpener OpenerFor(const std::string& port, const QString& settingsFile) {
    const QString name = QString::fromLocal8Bit(port.c_str());
    if (name.size() == 4 && name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) {
        return lumivo::link::OpenerForComPort(name.right(1).toInt(), settingsFile);
    }
    return lumivo::link::OpenerForTarget(name);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The serial and network ports are Qt objects: they need the application's event machinery
    // on this thread, though nothing here runs an event loop.
    QCoreApplication application(argc, argv);
    if (args.empty()) {
        std::cerr << kUsage;
        return lumivo::cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kUsage << "\n" << lumivo::cli::kSignCommandsUsage;
        return lumivo::cli::kExitOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "page") {
        return lumivo::cli::RunPageCommand(rest, std::cout, std::cerr,
                                           lumivo::ProgramFolder() / "Graphdata");
    }
    if (lumivo::cli::IsSignCommand(args[0])) {
        lumivo::cli::CommandContext context;
        context.programFolder = lumivo::ProgramFolder();
        context.settingsFile = lumivo::SettingsFilePath().string();
        const QString settings = QString::fromStdString(context.settingsFile);
        context.openerFor = [settings](const std::string& port) {
            return OpenerFor(port, settings);
        };
        context.progressToTerminal = isatty(STDERR_FILENO) != 0;
        return lumivo::cli::RunSignCommand(args[0], rest, std::cout, std::cerr, context);
    }
    std::cerr << "lumivo-cli: unknown command " << args[0] << "\n" << kUsage;
    return lumivo::cli::kExitUsage;
}
