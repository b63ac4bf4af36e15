#pragma once

#include "cli/cli_commands.h"
#include "signs/sign_state.h"

#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

extern const char* const kSignsUsage;

// `signs [--json]`: the sign list of the settings file with what each sign was last sent from
// here. `signs add NAME --port PORT --id XX [--group G]... [--colours 1|3] [--width N]` and
// `signs remove NAME` change the list. Problems of the list go to `err`; the signs that read well
// are listed.
int RunSignsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandContext& context);

} // namespace lumivo::cli
