// `send`: a message line, compiled and sent as one page.

#include "cli/cli_common.h"
#include "cli/sign_command.h"
#include "core/compiler.h"
#include "core/document.h"
#include "core/file_io.h"
#include "core/line_fields.h"
#include "signs/line_fill.h"
#include "signs/sign_commands.h"

#include <QDateTime>

#include <map>

#include <memory>

namespace lumivo::cli {
namespace {

// The line to send: from --text-file (raw bytes), --document (the editor's file) or TEXT.
std::string ReadLine(const SignCommandOptions& options) {
    const auto textFile = options.one("--text-file");
    const auto document = options.one("--document");
    const auto& positionals = options.positionals();
    const int given = (textFile ? 1 : 0) + (document ? 1 : 0) + (positionals.empty() ? 0 : 1);
    if (given != 1 || positionals.size() > 1) {
        throw UsageError{"send takes one of --text-file FILE, --document FILE.lmv or TEXT"};
    }
    if (textFile) {
        Result<Bytes> bytes = ReadLineFile(*textFile);
        if (!bytes) {
            throw Error{bytes.error().message};
        }
        return *bytes;
    }
    if (document) {
        const DocumentRead read = ReadMessageDocument(*document);
        if (!read.ok()) {
            throw Error{read.message};
        }
        return read.document.text();
    }
    auto latin1 = Utf8ToLatin1(positionals.front());
    if (!latin1) {
        throw UsageError{"TEXT holds a character above U+00FF, which a sign line cannot carry"};
    }
    return *latin1;
}

// The name=value lines of a --fields file: blank lines and lines starting with '#' are skipped;
// each value is made safe by the value rule.
std::map<std::string, Bytes> ReadFieldValues(const std::string& path) {
    Result<Bytes> bytes = ReadWholeFile(path, 1024 * 1024);
    if (!bytes) {
        throw Error{bytes.error().message};
    }
    std::map<std::string, Bytes> values;
    std::size_t start = 0;
    int number = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find('\n', start);
        end = end == Bytes::npos ? bytes->size() : end;
        std::string text = bytes->substr(start, end - start);
        start = end + 1;
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (text.empty() || text.front() == '#') {
            continue;
        }
        const std::size_t equals = text.find('=');
        const std::string name = text.substr(0, equals);
        const bool named = equals != std::string::npos && !IsClockField(name) &&
                           LineTemplate::Parse("{" + name + "}").value().fieldNames() ==
                               std::vector<std::string>{name};
        if (!named) {
            throw Error{path + ", line " + std::to_string(number) +
                        ": a line is name=value, the name letters, digits, '_' and '-' "
                        "starting with a letter, and not time or date"};
        }
        values[name] = SafeFieldValue(text.substr(equals + 1));
    }
    return values;
}

// The line with its fields filled from the --fields file and the clock.
std::string FillFields(const std::string& line, const std::string& path) {
    const std::map<std::string, Bytes> values = ReadFieldValues(path);
    Result<LineTemplate> parsed = LineTemplate::Parse(line);
    if (!parsed) {
        throw Error{parsed.error().message};
    }
    const QString problem = signs::TemplateProblem(
        *parsed, [&](std::string_view name) { return values.count(std::string(name)) != 0; });
    if (!problem.isEmpty()) {
        throw Error{problem.toStdString()};
    }
    const QDateTime now = QDateTime::currentDateTime();
    const std::optional<Bytes> filled =
        parsed->fill([&](const FieldRef& field) -> std::optional<Bytes> {
            if (IsClockField(field.name)) {
                return signs::ClockFieldValue(field, now);
            }
            return signs::SourceFieldText(field, values.at(field.name));
        });
    if (!filled) {
        throw Error{"a field of the line has no value"};
    }
    return *filled;
}

} // namespace

signs::SignCommand BuildSendCommand(const SignCommandCall& call) {
    std::string line = ReadLine(call.options);
    if (const auto fields = call.options.one("--fields")) {
        line = FillFields(line, *fields);
        if (call.options.has("--dry-run")) {
            call.err << "filled line: " << PrintableText(line) << "\n";
        }
    }
    const char page = PageLetter(call.options.one("--page").value_or("A"));
    auto graphics = std::make_shared<const FolderGraphicSource>(
        call.options.one("--graphics").value_or(call.context.graphicsFolder.string()));
    return signs::SendPageCommand(std::move(line), page, std::move(graphics));
}

} // namespace lumivo::cli
