#pragma once

#include "core/graphic_picture.h"
#include "core/result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumivo {

// The largest picture file read, and the largest picture decoded (either side), so that a stray
// huge file or a small file that claims a huge picture never fills memory.
inline constexpr std::size_t kMaxPictureFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxPictureSide = 16384;

// Reads a picture file in any format the platform's image readers know (BMP, PNG, GIF, JPEG...).
// Only a regular file is read, without waiting on a FIFO or a device. The colour of each pixel is
// its red, green and blue; transparency is ignored. A failure names the file and the reason.
Result<RgbPicture> ReadPictureFile(const std::filesystem::path& path);

// Decodes picture file content already in memory. `what` names the file in an error message.
Result<RgbPicture> DecodePicture(const Bytes& bytes, const std::string& what);

// Writes the picture: PNG when the name ends in ".png" (any case), otherwise a 24-bit BMP. The
// file is replaced whole or not at all; a failure names the path and the reason.
Status WritePictureFile(const std::filesystem::path& path, const RgbPicture& picture);

// Writes a PNG of any size from 0xAARRGGBB pixels, row-major, top row first; the file is replaced
// whole or not at all.
Status WritePngFile(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint32_t>& argb);

// File name suffixes, lower case and without the dot, of every format ReadPictureFile reads.
std::vector<std::string> ReadablePictureSuffixes();

} // namespace lumivo
