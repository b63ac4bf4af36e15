#pragma once

#include "core/bytes.h"
#include "core/euro_picture.h"
#include "core/result.h"

#include <filesystem>
#include <string>

namespace lumivo::userfont {

// Decodes a bitmap file of any kind the platform's image reader takes (1, 4, 8, 16, 24 or 32 bits
// per pixel, compressed or not) into its colours, keeping the form it is to be saved in. The
// header is checked first, so a damaged or huge picture is refused before any pixel is decoded.
// `what` names the file in an error message.
Result<EuroPicture> DecodeEuroPicture(const Bytes& bytes, const std::string& what);

// Reads the picture file: a regular file only, never waiting on a FIFO or a device, at most
// kLargestEuroPictureFile bytes.
Result<EuroPicture> ReadEuroPicture(const std::filesystem::path& path);

// The factory picture when `factoryFile` exists and reads as a picture, else the built-in one.
FactoryEuroPicture LoadFactoryEuroPicture(const std::filesystem::path& factoryFile);

} // namespace lumivo::userfont
