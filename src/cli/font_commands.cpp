// The sign's user font: `font-transfer`, `recall-font`.

#include "cli/sign_command.h"
#include "core/userfont.h"

namespace lumivo::cli {

link::Outcome RunFontTransferCommand(const SignCommandCall& call) {
    const std::string file = call.options.required("--font");
    Result<FontFileContents> font = ReadFontFile(file);
    if (!font) {
        throw Error{file + ":" + font.error().message};
    }
    if (font->damaged) {
        call.err << "lumivo-cli " << call.name << ": " << file << ": " << font->damage << "\n";
    }
    link::Outcome outcome =
        link::RunFontTransfer(call.opener, call.clock, call.sign, font->records, call.progress)
            .outcome;
    if (call.progress) {
        call.err << "\n";
    }
    return outcome;
}

link::Outcome RunRecallFontCommand(const SignCommandCall& call) {
    return link::RunRecallDefaultFont(call.opener, call.clock, call.sign);
}

} // namespace lumivo::cli
