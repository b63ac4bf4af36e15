#include "cli/cli_check.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_graphic.h"
#include "cli/cli_page.h"
#include "cli/cli_ports.h"
#include "cli/cli_render.h"
#include "cli/cli_signs.h"
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
    "           talk to a sign (--port PORT), to signs of the sign list (--to NAME|GROUP),\n"
    "           or show the bytes (--dry-run)\n"
    "  signs    list the sign list with what each sign was last sent, add or remove a sign\n"
    "  ports    list the device each COM port setting reaches\n"
    "  check    find out why a sign does not answer: the port, the permission, the sign's reply\n"
    "  scan     list the sign IDs that answer on a line\n"
    "  graphic  import a picture file as a graphic, or export a graphic as a picture\n"
    "  render   draw the sign showing a line, at one moment or every frame, as PNG pictures\n"
    "\n"
    "Run 'lumivo-cli COMMAND --help' for the options of a command, 'lumivo-cli --version' for\n"
    "the version.\n";

lumivo::link::PortOpener OpenerFor(const std::string& port, const QString& settingsFile) {
    const QString name = QString::fromLocal8Bit(port.c_str());
    if (name.size() == 4 && name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) {
        return lumivo::link::OpenerForComPort(name.right(1).toInt(), settingsFile);
    }
    return lumivo::link::OpenerForTarget(name);
}

int RunCommandLine(int argc, char** argv) {
    const std::string help = std::string(kUsage) + "\n" + lumivo::cli::SignCommandsUsage();
    std::vector<std::string> args;
    if (const auto status = lumivo::cli::ReadProgramOptions({argv + 1, argv + argc}, kUsage, help,
                                                            args, std::cout, std::cerr)) {
        return *status;
    }
    // The serial and network ports are Qt objects: they need the application's event machinery
    // on this thread, though nothing here runs an event loop.
    QCoreApplication application(argc, argv);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "page") {
        return lumivo::cli::RunPageCommand(rest, std::cout, std::cerr, lumivo::GraphicsFolder());
    }
    if (args[0] == "graphic") {
        return lumivo::cli::RunGraphicCommand(rest, std::cout, std::cerr, lumivo::GraphicsFolder());
    }
    if (args[0] == "render") {
        return lumivo::cli::RunRenderCommand(rest, std::cout, std::cerr, lumivo::GraphicsFolder());
    }
    if (args[0] == "ports") {
        return lumivo::cli::RunPortsCommand(rest, std::cout, std::cerr, lumivo::SettingsFilePath());
    }
    if (args[0] == "check") {
        return lumivo::cli::RunCheckCommand(rest, std::cout, std::cerr,
                                            lumivo::SettingsFilePath().string());
    }
    if (args[0] == "scan") {
        return lumivo::cli::RunScanCommand(rest, std::cout, std::cerr,
                                           lumivo::SettingsFilePath().string(),
                                           isatty(STDERR_FILENO) != 0);
    }
    const bool signs = args[0] == "signs";
    if (signs || lumivo::cli::IsSignCommand(args[0])) {
        lumivo::cli::CommandContext context;
        context.graphicsFolder = lumivo::GraphicsFolder();
        context.settingsFile = lumivo::SettingsFilePath().string();
        const QString settings = QString::fromStdString(context.settingsFile);
        context.openerFor = [settings](const std::string& port) {
            return OpenerFor(port, settings);
        };
        context.progressToTerminal = isatty(STDERR_FILENO) != 0;
        if (signs) {
            return lumivo::cli::RunSignsCommand(rest, std::cout, std::cerr, context);
        }
        return lumivo::cli::RunSignCommand(args[0], rest, std::cout, std::cerr, context);
    }
    std::cerr << "lumivo-cli: unknown command " << args[0] << "\n" << kUsage;
    return lumivo::cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    // One check for every command: output that did not reach standard output fails the run.
    lumivo::cli::CheckedStandardOutput output;
    return output.finish(RunCommandLine(argc, argv), std::cerr);
}
