// `send`: a message line, compiled and sent as one page.

#include "cli/cli_common.h"
#include "cli/sign_command.h"
#include "core/compiler.h"
#include "core/document.h"
#include "signs/sign_commands.h"

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

} // namespace

signs::SignCommand BuildSendCommand(const SignCommandCall& call) {
    std::string line = ReadLine(call.options);
    const char page = PageLetter(call.options.one("--page").value_or("A"));
    auto graphics = std::make_shared<const FolderGraphicSource>(
        call.options.one("--graphics").value_or(call.context.graphicsFolder.string()));
    return signs::SendPageCommand(std::move(line), page, std::move(graphics));
}

} // namespace lumivo::cli
