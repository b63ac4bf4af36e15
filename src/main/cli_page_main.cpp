// The command line without the link layer (a build without Qt): only `page`.
#include "cli/cli_common.h"
#include "cli/cli_page.h"
#include "core/program_folder.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "page") {
        std::cerr << "usage: lumivo-cli page [options] (this build has no sign commands)\n";
        return lumivo::cli::kExitUsage;
    }
    return lumivo::cli::RunPageCommand({args.begin() + 1, args.end()}, std::cout, std::cerr,
                                       lumivo::ProgramFolder() / "Graphdata");
}
