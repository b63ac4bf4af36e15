#include "core/graphic_picture.h"

#include <algorithm>
#include <cstdint>

namespace lumivo {

namespace {

// The area an import clears before it draws: the widest graphic the sign takes, both lines.
constexpr int kImportClearColumns = kMaxSignGraphicWidth;
constexpr int kImportClearRows = kTallGraphicRows;

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpInfoHeaderSize = 40;
constexpr std::uint16_t kBmpBitsPerPixel = 24;
// 72 dots per inch in dots per metre, what image programs write when they know no better.
constexpr std::uint32_t kBmpDotsPerMetre = 2835;

void PutLittleEndian(Bytes& out, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

RgbPicture ExportGraphicPicture(const PixelStore& store, int width, int height) {
    RgbPicture picture;
    picture.width = std::clamp(width, 0, PixelStore::kSize);
    picture.height = std::clamp(height, 0, PixelStore::kSize);
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back(ScreenColourOfLetter(store.at(x, y)));
        }
    }
    return picture;
}

void ImportGraphicPicture(PixelStore& store, const RgbPicture& picture, int width, int height,
                          PictureColours colours) {
    store.clear(kImportClearColumns, kImportClearRows);
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
        return; // not a whole picture: nothing to draw
    }
    const int columns = std::clamp(std::min(picture.width, width), 0, PixelStore::kSize);
    const int rows = std::clamp(std::min(picture.height, height), 0, PixelStore::kSize);
    const auto letterOf =
        colours == PictureColours::Nearest ? NearestPixelLetter : PixelLetterFromRgb;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const Rgb colour = picture.at(x, y);
            store.set(x, y, letterOf(colour.r, colour.g, colour.b));
        }
    }
}

Bytes EncodeBmp24(const RgbPicture& picture) {
    // A picture whose pixels do not fill its size is written as an empty picture, never read
    // beyond its pixels.
    const bool whole =
        picture.width > 0 && picture.height > 0 &&
        picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
    const std::size_t width = whole ? static_cast<std::size_t>(picture.width) : 0;
    const std::size_t height = whole ? static_cast<std::size_t>(picture.height) : 0;
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::size_t imageBytes = rowBytes * height;
    const std::size_t dataOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;

    Bytes out;
    out.reserve(dataOffset + imageBytes);
    // File header: "BM", file size, two reserved words, offset of the pixel rows.
    out += "BM";
    PutLittleEndian(out, static_cast<std::uint32_t>(dataOffset + imageBytes), 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(dataOffset), 4);
    // Information header: a positive height means the rows are stored bottom-up.
    PutLittleEndian(out, kBmpInfoHeaderSize, 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(width), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(height), 4);
    PutLittleEndian(out, 1, 2); // planes
    PutLittleEndian(out, kBmpBitsPerPixel, 2);
    PutLittleEndian(out, 0, 4); // no compression
    PutLittleEndian(out, static_cast<std::uint32_t>(imageBytes), 4);
    PutLittleEndian(out, kBmpDotsPerMetre, 4);
    PutLittleEndian(out, kBmpDotsPerMetre, 4);
    PutLittleEndian(out, 0, 4); // colours in a palette: none
    PutLittleEndian(out, 0, 4); // important colours: all

    for (std::size_t row = height; row-- > 0;) {
        const std::size_t start = out.size();
        for (std::size_t x = 0; x < width; ++x) {
            const Rgb colour = picture.pixels[row * width + x];
            out.push_back(static_cast<char>(colour.b));
            out.push_back(static_cast<char>(colour.g));
            out.push_back(static_cast<char>(colour.r));
        }
        out.append(rowBytes - (out.size() - start), '\0');
    }
    return out;
}

} // namespace lumivo
