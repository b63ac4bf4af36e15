#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

// `render [--width N] [--graphics DIR] [--at SECONDS | --frames DIR] (--text-file F | TEXT)
// --out FILE.png`: a picture of a sign showing the line as a send would put it on the sign, at
// one moment of the page's run (by default when the line first stands in full), or with
// --frames every frame of one run at 25 frames a second as DIR/frame-0000.png ... Returns the
// exit status.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const std::filesystem::path& defaultGraphicsFolder);

extern const char* const kRenderUsage;

} // namespace lumivo::cli
