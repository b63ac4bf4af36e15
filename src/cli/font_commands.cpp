// The sign's user font: `font-transfer`, `recall-font`.

#include "cli/sign_command.h"
#include "core/userfont.h"
#include "signs/sign_commands.h"

namespace lumivo::cli {

signs::SignCommand BuildFontTransferCommand(const SignCommandCall& call) {
    const std::string file = call.options.required("--font");
    Result<FontFileContents> font = ReadFontFile(file);
    if (!font) {
        throw Error{file + ":" + font.error().message};
    }
    if (font->damaged) {
        call.err << "lumivo-cli " << call.name << ": " << file << ": " << font->damage << "\n";
    }
    return signs::FontTransferCommand(std::move(font->records));
}

signs::SignCommand BuildRecallFontCommand(const SignCommandCall&) {
    return signs::RecallDefaultFontCommand();
}

} // namespace lumivo::cli
