#pragma once

#include "core/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumivo {

// File name suffixes, lower case and without the dot, of every format the platform's image
// writers write ("bmp", "jpg", "png" ...), in alphabetical order.
std::vector<std::string> WritablePictureSuffixes();

// The format a picture written under this name is written in: its suffix, lower case, when the
// image writers write that format; nullopt for a name without a suffix or with another one.
std::optional<std::string> WritableFormatOfName(const std::filesystem::path& path);

// Why a picture cannot be written under this name (its suffix names no format the image writers
// write), as one line that lists the suffixes that work; empty when it can be.
std::string UnwritableNameProblem(const std::filesystem::path& path);

// Writes 0xAARRGGBB pixels, row-major, top row first, in the format the name asks for; a format
// without transparency gets the colours alone. The file is replaced whole or not at all; a
// failure names the path and the reason.
Status WritePictureAs(const std::filesystem::path& path, int width, int height,
                      const std::vector<std::uint32_t>& argb);

} // namespace lumivo
