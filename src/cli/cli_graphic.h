#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

// `graphic import --number N --width W --height H [--graphics DIR] PICTURE`: turns the top-left
// W x H pixels of a picture file into graphic G01..G16 of the graphics folder (the rest of the
// picture is ignored, a smaller picture leaves the rest of the graphic off), replacing the
// graphic of that number when there is one.
// `graphic export --number N [--graphics DIR] OUT`: writes the graphic at its own size as a
// picture, PNG when OUT ends in ".png", otherwise a 24-bit BMP.
// `args` starts with the word import or export. Returns the exit status.
int RunGraphicCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const std::filesystem::path& defaultGraphicsFolder);

extern const char* const kGraphicUsage;

} // namespace lumivo::cli
