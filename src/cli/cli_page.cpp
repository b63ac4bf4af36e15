#include "cli/cli_page.h"

#include "cli/cli_common.h"
#include "core/compiler.h"
#include "core/file_io.h"
#include "core/frame.h"

#include <optional>

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
    "                     (default: the folder Graphdata beside the program)\n"
    "  --text-file FILE   read the line from FILE as raw 8-bit bytes, unchanged\n"
    "  TEXT               the line as UTF-8 text; each character must be at most U+00FF\n"
    "  --help             show this help\n"
    "\n"
    "Exit status: 0 written, 1 a graphic or file cannot be read, 2 usage error.\n";

namespace {

int Usage(std::ostream& err, const std::string& problem) {
    err << "lumivo-cli page: " << problem << "\n" << kPageUsage;
    return kExitUsage;
}

} // namespace

int RunPageCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const std::filesystem::path& defaultGraphicsFolder) {
    ArgumentReader reader(args);
    std::string sign = "00";
    char page = 'A';
    std::filesystem::path graphics = defaultGraphicsFolder;
    std::optional<std::string> textFile;
    std::optional<std::string> text;

    while (!reader.atEnd()) {
        bool missing = false;
        if (reader.peek() == "--help" || reader.peek() == "-h") {
            out << kPageUsage;
            return kExitOk;
        }
        if (auto value = reader.takeOption("--sign", missing)) {
            const auto id = ParseSignId(*value);
            if (!id) {
                return Usage(err, "--sign takes two hexadecimal digits, 00..FF");
            }
            sign = SignIdText(*id);
        } else if (auto value = reader.takeOption("--page", missing)) {
            if (value->size() != 1 || AsciiUpper(*value)[0] < 'A' || AsciiUpper(*value)[0] > 'Z') {
                return Usage(err, "--page takes one letter, A..Z");
            }
            page = AsciiUpper(*value)[0];
        } else if (auto value = reader.takeOption("--graphics", missing)) {
            graphics = *value;
        } else if (auto value = reader.takeOption("--text-file", missing)) {
            textFile = *value;
        } else if (missing) {
            return Usage(err, "an option lacks its value");
        } else if (reader.peek() == "--") {
            reader.take();
            if (reader.atEnd()) {
                return Usage(err, "no TEXT after --");
            }
            if (text) {
                return Usage(err, "give the line once");
            }
            text = reader.take();
        } else if (reader.peek().size() > 1 && reader.peek()[0] == '-') {
            return Usage(err, "unknown option " + reader.peek());
        } else {
            if (text) {
                return Usage(err, "give the line once (quote a TEXT with blanks)");
            }
            text = reader.take();
        }
        if (missing) {
            return Usage(err, "an option lacks its value");
        }
    }
    if (textFile.has_value() == text.has_value()) {
        return Usage(err, "give either --text-file FILE or TEXT");
    }

    std::string line;
    if (textFile) {
        Result<Bytes> bytes = ReadWholeFile(*textFile);
        if (!bytes) {
            err << "lumivo-cli page: " << bytes.error().message << "\n";
            return kExitFailure;
        }
        line = std::move(bytes).value();
    } else {
        auto latin1 = Utf8ToLatin1(*text);
        if (!latin1) {
            return Usage(err,
                         "TEXT holds a character above U+00FF, which a sign line cannot carry");
        }
        line = std::move(*latin1);
    }

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
