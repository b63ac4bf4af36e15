#pragma once

#include "core/result.h"

#include <cstdint>
#include <string_view>

namespace lumivo {

// What reading a picture file may cost, checked on its bytes before any pixel is decoded, and
// whether the file holds every pixel its header promises. A picture reader fills pixels that a
// file lacks with a blank colour and inflates compressed data as long as the file supplies it,
// so neither a damaged file nor a small file that inflates without bound may reach it.

// The most a PNG's compressed metadata (text, colour profiles) may inflate to: the reader
// inflates each of those chunks, and a few kilobytes can inflate to megabytes.
inline constexpr std::uint64_t kMaxPngMetadataBytes = 8 * 1024 * 1024;

// The largest picture read: neither side longer than maxSide, at most maxPixels in all.
struct PictureLimits {
    std::uint64_t maxSide = 0;
    std::uint64_t maxPixels = 0;
    bool allows(std::uint64_t width, std::uint64_t height) const {
        return width <= maxSide && height <= maxSide && width * height <= maxPixels;
    }
};

// Checks the bytes of a BMP or PNG file (other formats pass unchecked; their readers bound their
// own work by the picture's size, which the caller checks):
// - BMP: within `limits`; the pixel data must begin inside the file and, for
// uncompressed pictures, the file must
//   hold every row the header promises; for run-length pictures the data size the header gives
//   must lie inside the file.
// - PNG: within `limits`; every chunk lies inside the file up to the end chunk; the
//   image data, inflated here with its output bounded, gives at least the bytes the header's
//   size, bit depth, colour type and interlacing need and never more (a small file that
//   inflates without end is stopped at that size); the compressed metadata inflates to at most
//   kMaxPngMetadataBytes. This runs before the reader looks even at the picture's size, since
//   the reader inflates the metadata before the image data to find it.
// The error is the bare reason ("the pixel data is cut short: ..."), for the caller to put after
// the file's name.
Status CheckPictureBytes(std::string_view bytes, const PictureLimits& limits);

// The bytes a PNG's image data inflates to: its filtered rows, every interlace pass counted.
// 0 for a header no PNG has.
std::uint64_t PngImageDataBytes(std::uint32_t width, std::uint32_t height, int bitDepth,
                                int colourType, bool interlaced);

} // namespace lumivo
