#include "cli/cli_page.h"

#include "cli/cli_common.h"
#include "core/compiler.h"
#include "core/file_io.h"
#include "core/frame.h"

#include <optional>
#include <string_view>

namespace lumivo::cli {

const char* const kPageUsage =
    "usage: lumivo-cli page [--sign XX] [--page L] [--graphics DIR] (--text-file FILE | TEXT)\n"
    "\n"
    "Compiles one sign line and writes its page stream (the exact bytes a sign receives for\n"
    "line 1 of the page) to standard output, and nothing else.\n"
    "\n"
    "  --sign XX          sign ID, two hexadecimal digits 00..FF (default 00, all signs)\n"
    "  --page L           page letter A..Z (default A)\n"
    "  --graphics DIR     folder of the graphic files G01.txt..G16.txt\n"
    "                     (default: the editor's Graphdata folder)\n"
    "  --text-file FILE   read the line from FILE as raw 8-bit bytes, unchanged\n"
    "  TEXT               the line as UTF-8 text; each character must be at most U+00FF\n"
    "  --help             show this help\n"
    "\n"
    "Exit status: 0 written, 1 a graphic or file cannot be read, 2 usage error.\n";

namespace {

constexpr std::string_view kProgram = "lumivo-cli page";

constexpr OptionSpec kPageOptions[] = {
    {"--sign", OptionKind::Value},
    {"--page", OptionKind::Value},
    {"--graphics", OptionKind::Value},
    {"--text-file", OptionKind::Value},
    kHelpOption,
};

int Usage(std::ostream& err, std::string_view problem) {
    return ReportUsageError(err, kProgram, problem, kPageUsage);
}

} // namespace

int RunPageCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const std::filesystem::path& defaultGraphicsFolder) {
    const CommandLine options = ParseCommandLine(args, kPageOptions);
    if (const auto status = AnswerStandardOptions(options, kProgram, kPageUsage, out, err)) {
        return *status;
    }
    std::string sign = "00";
    if (const auto value = options.value("--sign")) {
        const auto id = ParseSignId(*value);
        if (!id) {
            return Usage(err, "--sign takes two hexadecimal digits, 00..FF");
        }
        sign = SignIdText(*id);
    }
    char page = 'A';
    if (const auto value = options.value("--page")) {
        const std::string upper = AsciiUpper(*value);
        if (upper.size() != 1 || upper[0] < 'A' || upper[0] > 'Z') {
            return Usage(err, "--page takes one letter, A..Z");
        }
        page = upper[0];
    }
    const auto graphicsGiven = options.value("--graphics");
    const std::filesystem::path graphics =
        graphicsGiven ? std::filesystem::path(*graphicsGiven) : defaultGraphicsFolder;
    LineArgument argument = ReadLineArgument(options);
    if (!argument.line) {
        if (argument.usageMistake) {
            return Usage(err, argument.problem);
        }
        err << "lumivo-cli page: " << argument.problem << "\n";
        return kExitFailure;
    }
    const std::string line = std::move(*argument.line);

    const FolderGraphicSource source(graphics);
    Result<Page> built = BuildPage(line, 0, page, sign, source);
    if (!built) {
        err << "lumivo-cli page: " << built.error().message << "\n";
        return kExitFailure;
    }
    out.write(built->stream.data(), static_cast<std::streamsize>(built->stream.size()));
    out.flush();
    return out ? kExitOk : kExitFailure;
}

} // namespace lumivo::cli
