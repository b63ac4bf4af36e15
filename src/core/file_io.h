#pragma once

#include "core/bytes.h"
#include "core/result.h"

#include <cstddef>
#include <filesystem>

namespace lumivo {

// Reads a whole file as bytes. Files larger than `maxBytes` are refused, so a stray huge file
// never fills memory.
Result<Bytes> ReadWholeFile(const std::filesystem::path& path,
                            std::size_t maxBytes = 64 * 1024 * 1024);

// Writes to a temporary file in the same folder and renames it over the target, so a failed
// write never loses the old file.
Status WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);

} // namespace lumivo
