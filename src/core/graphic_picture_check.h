#pragma once

#include "core/result.h"

#include <cstdint>
#include <string_view>

namespace lumivo {

// What reading a picture file may cost, checked on its bytes before any pixel is decoded, and
// whether the file holds every pixel its header promises. A picture reader fills pixels that a
// file lacks with a blank colour and inflates compressed data as long as the file supplies it,
// so neither a damaged file nor a small file that inflates without bound may reach it.

// The most compressed metadata (text, colour profiles) a PNG may carry: each of those chunks is
// inflated when the picture is read, up to a thousand times its size.
inline constexpr std::uint64_t kMaxPngCompressedMetadataBytes = 128 * 1024;

// Checks the bytes of a BMP or PNG file (other formats pass unchecked; their readers bound their
// own work by the picture's size, which the caller checks):
// - BMP: the pixel data must begin inside the file and, for uncompressed pictures, the file must
//   hold every row the header promises; for run-length pictures the data size the header gives
//   must lie inside the file.
// - PNG: every chunk lies inside the file up to the end chunk; the image data, inflated here
//   with its output bounded, gives exactly the bytes the header's size, bit depth, colour type
//   and interlacing need (never more: a small file that inflates without end is stopped at that
//   size); the compressed metadata is at most kMaxPngCompressedMetadataBytes.
// The error is the bare reason ("the pixel data is cut short: ..."), for the caller to put after
// the file's name.
Status CheckPictureBytes(std::string_view bytes);

// The bytes a PNG's image data inflates to: its filtered rows, every interlace pass counted.
// 0 for a header no PNG has.
std::uint64_t PngImageDataBytes(std::uint32_t width, std::uint32_t height, int bitDepth,
                                int colourType, bool interlaced);

} // namespace lumivo
