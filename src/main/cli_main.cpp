#include "cli/cli_page.h"
#include "cli/cli_common.h"
#include "core/program_folder.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: lumivo-cli COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  page     compile a sign line and write its page stream to standard output\n"
    "\n"
    "Run 'lumivo-cli COMMAND --help' for the options of a command.\n";

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return lumivo::cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kUsage;
        return lumivo::cli::kExitOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "page") {
        return lumivo::cli::RunPageCommand(rest, std::cout, std::cerr,
                                           lumivo::ProgramFolder() / "Graphdata");
    }
    std::cerr << "lumivo-cli: unknown command " << args[0] << "\n" << kUsage;
    return lumivo::cli::kExitUsage;
}
