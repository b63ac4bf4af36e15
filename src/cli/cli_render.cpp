#include "cli/cli_render.h"

#include "cli/cli_common.h"
#include "core/compiler.h"
#include "core/led_picture.h"
#include "core/led_render.h"
#include "core/userfont.h"
#include "image/picture_formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <system_error>

namespace lumivo::cli {

const char* const kRenderUsage =
    "usage: lumivo-cli render [--width N] [--graphics DIR] [--font FILE.fon] [--at SECONDS]\n"
    "                         (--text-file FILE | TEXT) --out FILE.png\n"
    "       lumivo-cli render [--width N] [--graphics DIR] [--font FILE.fon] --frames DIR\n"
    "                         (--text-file FILE | TEXT)\n"
    "\n"
    "Draws a sign showing the line as a send would put it on the sign: its leading effect,\n"
    "display time and closing effect, its fonts, colours, graphics and European characters,\n"
    "as round LED dots of 6 x 6 pixels (two lines of 8 dots, 96 pixels high).\n"
    "\n"
    "  --width N          the sign's width in dots, 16..512 (default 80)\n"
    "  --graphics DIR     folder of the graphic files G01.txt..G16.txt\n"
    "                     (default: the editor's Graphdata folder)\n"
    "  --font FILE.fon    user font file: its characters show for <U40>..<U7F> as the sign\n"
    "                     shows them once the file's list was transferred (a later character\n"
    "                     of a code over an earlier one); without it the factory glyphs show\n"
    "  --at SECONDS       the moment of the page's run to draw, from its start (default: when\n"
    "                     the line first stands in full); later times wrap round the run\n"
    "  --out FILE.png     the picture to write, in the format its name ends in: .png, .jpg,\n"
    "                     .bmp ... (a name whose format cannot be written is refused)\n"
    "  --frames DIR       instead of one picture, every frame of one run, 25 a second, as\n"
    "                     DIR/frame-0000.png, frame-0001.png ... (DIR is made when missing)\n"
    "  --text-file FILE   read the line from FILE as raw 8-bit bytes, unchanged\n"
    "  TEXT               the line as UTF-8 text; each character must be at most U+00FF\n"
    "  --help             show this help\n"
    "\n"
    "Exit status: 0 written, 1 a graphic or file cannot be read or written, 2 usage error.\n";

namespace {

constexpr std::string_view kProgram = "lumivo-cli render";
constexpr int kFramesPerSecond = 25;
constexpr int kMaxFrames = 10000; // frame-0000 .. frame-9999

constexpr OptionSpec kRenderOptions[] = {
    {"--width", OptionKind::Value},     {"--graphics", OptionKind::Value},
    {"--font", OptionKind::Value},      {"--at", OptionKind::Value},
    {"--frames", OptionKind::Value},    {"--out", OptionKind::Value},
    {"--text-file", OptionKind::Value}, kHelpOption,
};

int Usage(std::ostream& err, std::string_view problem) {
    return ReportUsageError(err, kProgram, problem, kRenderUsage);
}

int Failure(std::ostream& err, const std::string& message) {
    err << kProgram << ": " << message << "\n";
    return kExitFailure;
}

// A number of seconds written with digits and at most one point ("2", "1.5"); the same
// whatever the locale.
std::optional<double> ParseSeconds(std::string_view text) {
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Status WriteFrame(const DotImage& dots, const std::filesystem::path& path) {
    const ArgbPicture picture = DrawLedPicture(dots);
    return WritePictureAs(path, picture.width, picture.height, picture.pixels);
}

// The sign's memory with the user characters of the font file, as a transfer of its list leaves
// them on the sign.
Result<SignMemory> MemoryWithFont(const std::optional<std::string>& fontFile) {
    SignMemory memory;
    if (!fontFile) {
        return memory;
    }
    Result<FontFileContents> font = ReadFontFile(*fontFile);
    if (!font) {
        return Error{*fontFile + ": " + font.error().message};
    }
    if (font->damaged) {
        return Error{*fontFile + ": " + font->damage};
    }
    memory.userCharacters = UserCharactersOf(font->records);
    return memory;
}

std::string FrameName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", index);
    return name;
}

// What to draw: the sign's size, and one moment into a picture or every frame into a folder.
struct RenderRequest {
    SignGeometry geometry;
    std::optional<double> at;
    std::optional<std::string> frames;
    std::optional<std::string> outFile;
};

// Reads the request's options; the exit status when a mistake in them settles the run.
std::optional<int> ReadRenderRequest(const CommandLine& options, std::ostream& err,
                                     RenderRequest& request) {
    if (const auto value = options.value("--width")) {
        const int width = ParseDecimal(*value);
        if (width < kMinSignColumns || width > kMaxSignColumns) {
            return Usage(err, "--width takes a number of dots, 16..512");
        }
        request.geometry.columns = width;
    }
    if (const auto value = options.value("--at")) {
        request.at = ParseSeconds(*value);
        if (!request.at) {
            return Usage(err, "--at takes a number of seconds, such as 2 or 1.5");
        }
    }
    request.frames = options.value("--frames");
    request.outFile = options.value("--out");
    if (request.frames && request.at) {
        return Usage(err, "give either --at SECONDS or --frames DIR");
    }
    if (request.frames.has_value() == request.outFile.has_value()) {
        return Usage(err, "give either --out FILE.png or --frames DIR");
    }
    return std::nullopt;
}

// Every frame of one run, 25 a second, into the folder (made when missing).
int WriteFrames(const PageAnimation& animation, const std::filesystem::path& folder,
                std::ostream& err) {
    const double count = std::ceil(animation.duration() * kFramesPerSecond);
    if (count > kMaxFrames) {
        return Failure(err, "one run of this page lasts " +
                                std::to_string(static_cast<long>(animation.duration())) +
                                " seconds, more than the " +
                                std::to_string(kMaxFrames / kFramesPerSecond) +
                                " seconds --frames writes");
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error) &&
        !std::filesystem::create_directory(folder, error) && error) {
        return Failure(err, "cannot make the folder " + folder.string() + ": " + error.message());
    }
    const int total = std::max(1, static_cast<int>(count));
    for (int i = 0; i < total; ++i) {
        const double seconds = static_cast<double>(i) / kFramesPerSecond;
        if (Status written = WriteFrame(animation.frameAt(seconds), folder / FrameName(i));
            !written) {
            return Failure(err, written.error().message);
        }
    }
    return kExitOk;
}

} // namespace

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const std::filesystem::path& defaultGraphicsFolder) {
    const CommandLine options = ParseCommandLine(args, kRenderOptions);
    if (const auto status = AnswerStandardOptions(options, kProgram, kRenderUsage, out, err)) {
        return *status;
    }
    RenderRequest request;
    if (const auto status = ReadRenderRequest(options, err, request)) {
        return *status;
    }
    LineArgument argument = ReadLineArgument(options);
    if (!argument.line) {
        return argument.usageMistake ? Usage(err, argument.problem)
                                     : Failure(err, argument.problem);
    }
    const std::string line = std::move(*argument.line);
    if (request.outFile) {
        if (const std::string problem = UnwritableNameProblem(*request.outFile); !problem.empty()) {
            return Failure(err, problem);
        }
    }
    const Result<SignMemory> memory = MemoryWithFont(options.value("--font"));
    if (!memory) {
        return Failure(err, memory.error().message);
    }
    const auto graphicsGiven = options.value("--graphics");
    const FolderGraphicSource source(graphicsGiven ? std::filesystem::path(*graphicsGiven)
                                                   : defaultGraphicsFolder);
    const Result<PageAnimation> animation = AnimateLine(line, source, *memory, request.geometry);
    if (!animation) {
        return Failure(err, animation.error().message);
    }
    if (!request.outFile) {
        return WriteFrames(*animation, *request.frames, err);
    }
    const double seconds = request.at ? *request.at : animation->shownAt();
    if (Status written = WriteFrame(animation->frameAt(seconds), *request.outFile); !written) {
        return Failure(err, written.error().message);
    }
    return kExitOk;
}

} // namespace lumivo::cli
