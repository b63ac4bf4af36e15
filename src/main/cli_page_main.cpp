// The command line without the link layer (a build without Qt): only `page`.
#include "cli/cli_common.h"
#include "cli/cli_page.h"
#include "core/program_folder.h"

#include <iostream>

namespace {

int RunCommandLine(int argc, char** argv) {
    const char* const usage =
        "usage: lumivo-cli page [options] (this build has no sign commands)\n";
    std::vector<std::string> args;
    if (const auto status = lumivo::cli::ReadProgramOptions(
            {argv + 1, argv + argc}, usage, lumivo::cli::kPageUsage, args, std::cout, std::cerr)) {
        return *status;
    }
    if (args[0] != "page") {
        std::cerr << "lumivo-cli: unknown command " << args[0] << "\n" << usage;
        return lumivo::cli::kExitUsage;
    }
    return lumivo::cli::RunPageCommand({args.begin() + 1, args.end()}, std::cout, std::cerr,
                                       lumivo::GraphicsFolder());
}

} // namespace

int main(int argc, char** argv) {
    // One check for every command: output that did not reach standard output fails the run.
    lumivo::cli::CheckedStandardOutput output;
    return output.finish(RunCommandLine(argc, argv), std::cerr);
}
