#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

// `page [--sign XX] [--page L] [--graphics DIR] (--text-file FILE | TEXT)`: writes the page
// stream of the line to `out`, byte for byte. Returns the exit status.
int RunPageCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const std::filesystem::path& defaultGraphicsFolder);

extern const char* const kPageUsage;

} // namespace lumivo::cli
