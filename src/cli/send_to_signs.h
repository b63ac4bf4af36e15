#pragma once

#include "cli/cli_commands.h"
#include "signs/dispatcher.h"

#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

// The signs of the sign list that `namesAndGroups` (the values of --to) choose, each once, in list
// order. Problems of the list are told on `err`; a word that is no sign's name and no group is a
// usage error naming it.
std::vector<signs::Sign> ChooseSigns(const std::string& name,
                                     const std::vector<std::string>& namesAndGroups,
                                     std::ostream& err, const CommandContext& context);

// Runs the command on every sign through the dispatcher, recording each sign's state beside the
// settings file. Prints "NAME: OUTCOME" per sign in list order, then the summary; returns 0 when
// every sign succeeded, else 1.
int SendToSigns(const std::string& name, std::vector<signs::Sign> chosen,
                const signs::SignCommand& command, std::ostream& out, std::ostream& err,
                const CommandContext& context);

// Writes, for each sign in order, the header "== NAME (ID XX): N bytes ==", the N bytes the command
// would write to it and a newline. Records nothing. Returns 0 when the command took for every sign.
int DryRunOnSigns(const std::string& name, const std::vector<signs::Sign>& chosen,
                  const signs::SignCommand& command, std::ostream& out, std::ostream& err);

// The text after "NAME: " in a sign's line: the outcome's box text as it is, or for a success
// that shows no box "Page A sent" (from the command's label).
std::string OutcomeLineText(const QString& label, const signs::SignOutcome& outcome);

} // namespace lumivo::cli
