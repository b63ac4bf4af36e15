#include "cli/cli_graphic.h"

#include "core/bytes.h"
#include "core/command_line.h"
#include "core/graphic.h"
#include "core/graphic_picture.h"
#include "image/picture_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <system_error>

namespace lumivo::cli {

const char* const kGraphicUsage =
    "usage: lumivo-cli graphic import --number N --width W --height H [--colours nearest]\n"
    "                                 [--graphics DIR] PICTURE\n"
    "       lumivo-cli graphic export --number N [--graphics DIR] OUT\n"
    "\n"
    "import  makes graphic N (G01..G16) from the top-left W x H pixels of PICTURE (BMP, PNG,\n"
    "        GIF, JPEG or any other picture format the program reads); each pixel becomes an\n"
    "        off, red, green or yellow dot by its colour, and dots beyond a smaller picture\n"
    "        are off. A graphic of that number is replaced. A damaged picture, or one too\n"
    "        large to read, is refused and the graphic stays as it was.\n"
    "export  writes graphic N at its own size as a picture: PNG when OUT ends in .png,\n"
    "        otherwise a 24-bit BMP; off dots are grey.\n"
    "\n"
    "  --number N         graphic number 1..16\n"
    "  --width W          32, 64, 96, 120 or 128 dots\n"
    "  --height H         7 or 8 rows\n"
    "  --colours RULE     rule (the default): only clear reds, greens and yellows light a\n"
    "                     dot, everything else is off; nearest: each pixel takes the\n"
    "                     nearest of off (black, grey or white), red, green and yellow\n"
    "  --graphics DIR     folder of the graphic files G01.txt..G16.txt\n"
    "                     (default: the editor's Graphdata folder)\n"
    "  --help             show this help\n"
    "\n"
    "Exit status: 0 done, 1 a picture or graphic cannot be read or written, 2 usage error.\n";

namespace {

constexpr std::string_view kProgram = "lumivo-cli graphic";

// The sizes the graphic editor offers.
constexpr std::array<int, 5> kWidths = {32, 64, 96, 120, 128};
constexpr std::array<int, 2> kHeights = {7, 8};

constexpr OptionSpec kGraphicOptions[] = {
    {"--number", OptionKind::Value},   {"--width", OptionKind::Value},
    {"--height", OptionKind::Value},   {"--colours", OptionKind::Value},
    {"--graphics", OptionKind::Value}, kHelpOption,
};

int Usage(std::ostream& err, std::string_view problem) {
    return ReportUsageError(err, kProgram, problem, kGraphicUsage);
}

int Failure(std::ostream& err, std::string_view action, const std::string& message) {
    err << kProgram << " " << action << ": " << message << "\n";
    return kExitFailure;
}

// The value of a decimal option that must be one of `allowed`; nullopt when missing or not
// allowed.
template <std::size_t N>
std::optional<int> ChoiceOption(const CommandLine& line, std::string_view name,
                                const std::array<int, N>& allowed) {
    const std::optional<std::string> text = line.value(name);
    if (!text) {
        return std::nullopt;
    }
    const int value = ParseDecimal(*text);
    if (std::find(allowed.begin(), allowed.end(), value) == allowed.end()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> GraphicNumberOption(const CommandLine& line) {
    const std::optional<std::string> text = line.value("--number");
    if (!text) {
        return std::nullopt;
    }
    const int value = ParseDecimal(*text);
    if (value < 1 || value > kGraphicCount) {
        return std::nullopt;
    }
    return value;
}

// Creates the graphics folder (one level, as the editor's Save does) when it does not exist.
Status MakeGraphicsFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return Ok{};
    }
    if (!std::filesystem::create_directory(folder, error) && error) {
        return Error{"Cannot create the graphics folder " + folder.string() + ": " +
                     error.message()};
    }
    return Ok{};
}

int Import(const CommandLine& line, const std::filesystem::path& folder, std::ostream& err) {
    const std::optional<int> number = GraphicNumberOption(line);
    if (!number) {
        return Usage(err, "import needs --number 1..16");
    }
    const std::optional<int> width = ChoiceOption(line, "--width", kWidths);
    if (!width) {
        return Usage(err, "import needs --width 32, 64, 96, 120 or 128");
    }
    const std::optional<int> height = ChoiceOption(line, "--height", kHeights);
    if (!height) {
        return Usage(err, "import needs --height 7 or 8");
    }
    const std::optional<std::string> coloursText = line.value("--colours");
    if (coloursText && *coloursText != "rule" && *coloursText != "nearest") {
        return Usage(err, "--colours takes rule or nearest");
    }
    const PictureColours colours =
        coloursText == "nearest" ? PictureColours::Nearest : PictureColours::ConversionRule;
    if (line.positionals().size() != 2) {
        return Usage(err, "import takes one PICTURE file");
    }
    // The picture is read first, so a file that cannot be read changes nothing.
    const Result<RgbPicture> picture = ReadPictureFile(line.positionals()[1]);
    if (!picture) {
        return Failure(err, "import", picture.error().message);
    }
    PixelStore store;
    ImportGraphicPicture(store, *picture, *width, *height, colours);
    if (Status made = MakeGraphicsFolder(folder); !made) {
        return Failure(err, "import", made.error().message);
    }
    const Status written =
        WriteGraphicFile(GraphicPath(folder, GraphicName(*number)), store.rows(*width, *height));
    if (!written) {
        return Failure(err, "import", written.error().message);
    }
    return kExitOk;
}

int Export(const CommandLine& line, const std::filesystem::path& folder, std::ostream& err) {
    const std::optional<int> number = GraphicNumberOption(line);
    if (!number) {
        return Usage(err, "export needs --number 1..16");
    }
    if (line.has("--width") || line.has("--height") || line.has("--colours")) {
        return Usage(err, "export takes no --width, --height or --colours: the graphic keeps "
                          "its size and dots");
    }
    if (line.positionals().size() != 2) {
        return Usage(err, "export takes one OUT file");
    }
    const std::string name = GraphicName(*number);
    const Result<Graphic> graphic = ReadGraphicInFolder(folder, name);
    if (!graphic) {
        return Failure(err, "export", graphic.error().message);
    }
    PixelStore store;
    store.load(*graphic);
    const RgbPicture picture = ExportGraphicPicture(store, graphic->width(), graphic->height());
    if (Status written = WritePictureFile(line.positionals()[1], picture); !written) {
        return Failure(err, "export", written.error().message);
    }
    return kExitOk;
}

} // namespace

int RunGraphicCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const std::filesystem::path& defaultGraphicsFolder) {
    const CommandLine line = ParseCommandLine(args, kGraphicOptions);
    if (const auto status = AnswerStandardOptions(line, kProgram, kGraphicUsage, out, err)) {
        return *status;
    }
    const std::vector<std::string>& words = line.positionals();
    const std::optional<std::string> graphics = line.value("--graphics");
    const std::filesystem::path folder =
        graphics ? std::filesystem::path(*graphics) : defaultGraphicsFolder;
    if (!words.empty() && words.front() == "import") {
        return Import(line, folder, err);
    }
    if (!words.empty() && words.front() == "export") {
        return Export(line, folder, err);
    }
    return Usage(err, words.empty() ? "give import or export" : "unknown action " + words.front());
}

} // namespace lumivo::cli
