// Any command line of lumivo-cli in a dry run: never crashes and always ends with status 0, 1 or
// 2. The input is the argument list, split at NUL bytes: the command, then its options. A port
// given instead of --dry-run never opens, so no device is touched and no real pause is taken.
#include "cli/cli_commands.h"
#include "cli/cli_page.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> SplitAtNul(std::string_view input) {
    std::vector<std::string> args;
    std::size_t begin = 0;
    for (std::size_t end = input.find('\0'); end != std::string_view::npos;
         end = input.find('\0', begin)) {
        args.emplace_back(input.substr(begin, end - begin));
        begin = end + 1;
    }
    args.emplace_back(input.substr(begin));
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args =
        SplitAtNul(std::string_view(reinterpret_cast<const char*>(data), size));
    // File names stay inside the working folder: no device or special file is read.
    for (const std::string& arg : args) {
        if (arg.starts_with('/') || arg.find("..") != std::string::npos) {
            return 0;
        }
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    if (args[0] == "page") {
        status = lumivo::cli::RunPageCommand(rest, out, err, LUMIVO_FUZZ_GRAPHICS);
    } else if (lumivo::cli::IsSignCommand(args[0])) {
        lumivo::cli::CommandContext context;
        context.graphicsFolder = LUMIVO_FUZZ_GRAPHICS;
        context.settingsFile = "fuzz-settings-that-do-not-exist.INI";
        context.openerFor = [](const std::string&) { return lumivo::link::PortOpener{}; };
        status = lumivo::cli::RunSignCommand(args[0], rest, out, err, context);
    } else {
        return 0;
    }
    if (status < 0 || status > 2) {
        std::abort();
    }
    return 0;
}
