#pragma once

#include "core/bytes.h"
#include "core/graphic.h"

#include <vector>

namespace lumivo {

// A picture in screen colours, the form in which a graphic is exchanged with picture files.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row-major: pixel (x, y) is pixels[y * width + x]

    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A width x height picture of the store's top-left area, each pixel the screen colour of its
// cell's letter (grey for "@" and for any letter that is not a dot colour).
RgbPicture ExportGraphicPicture(const PixelStore& store, int width, int height);

// How an imported pixel's colour becomes a pixel letter.
enum class PictureColours {
    ConversionRule, // PixelLetterFromRgb: only clear reds, greens and yellows light a dot
    Nearest,        // NearestPixelLetter: every pixel takes its nearest dot colour
};

// Clears columns 0..127 and rows 0..15 of the store to "@", then puts the letter of `colours`
// into each cell of the picture's top-left min(picture width, width) x min(picture height,
// height) pixels; the rest of the picture is ignored. The caller reads the picture first, so a
// file that cannot be read never clears the store.
void ImportGraphicPicture(PixelStore& store, const RgbPicture& picture, int width, int height,
                          PictureColours colours = PictureColours::ConversionRule);

// The picture as a 24-bit uncompressed BMP file: a 14-byte file header, a 40-byte information
// header, then the rows bottom-up, each pixel blue, green, red, each row padded with zero bytes to
// a multiple of 4.
Bytes EncodeBmp24(const RgbPicture& picture);

} // namespace lumivo
