#include "cli/sign_command.h"

#include "core/bytes.h"
#include "signs/schedule_entry.h"

namespace lumivo::cli {

std::string SignCommandOptions::required(const std::string& name) const {
    auto value = one(name);
    if (!value) {
        throw UsageError{"missing " + name};
    }
    return *value;
}

char PageLetter(const std::string& text) {
    const std::string upper = AsciiUpper(text);
    if (upper.size() != 1 || upper[0] < 'A' || upper[0] > 'Z') {
        throw UsageError{"a page is one letter A..Z, not \"" + text + "\""};
    }
    return upper[0];
}

std::unique_ptr<link::FakeLine> DryRunLine() {
    auto line = std::make_unique<link::FakeLine>();
    line->setResponder([](const std::string& frame) -> std::string {
        if (frame.rfind("<ID><", 0) == 0 && frame.size() >= 7) {
            return frame.substr(5, 2);
        }
        return "ACK";
    });
    return line;
}

bool AllLetters(const std::string& text) {
    return signs::AllLetters(text);
}

} // namespace lumivo::cli
