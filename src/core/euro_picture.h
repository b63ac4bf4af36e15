#pragma once

#include "core/bytes.h"
#include "core/graphic.h"
#include "core/result.h"
#include "core/userfont.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo {

// White and black: the cell strip and the dots of a user character drawn into the picture.
inline constexpr Rgb kEuroWhite{255, 255, 255};
inline constexpr Rgb kEuroBlack{0, 0, 0};

// How a bitmap file stores its pixels, kept with the picture so that it is saved the way it was
// read: 1, 4 or 8 bits per pixel through a colour table, or 24 or 32 bits of blue, green, red.
struct BmpForm {
    int bitsPerPixel = 1;
    std::vector<Rgb> palette{kEuroBlack, kEuroWhite}; // for 1, 4 and 8 bits only

    bool operator==(const BmpForm&) const = default;
};

// A picture in colours, with the form of the file it came from; (0, 0) is the top left corner.
class EuroPicture {
public:
    EuroPicture() = default;
    EuroPicture(int width, int height, BmpForm form = {}); // all white

    int width() const { return m_width; }
    int height() const { return m_height; }
    const BmpForm& form() const { return m_form; }
    void setForm(BmpForm form) { m_form = std::move(form); }

    // Pixels outside the picture read as white and ignore writes.
    Rgb colour(int x, int y) const;
    void setColour(int x, int y, Rgb colour);
    bool black(int x, int y) const { return colour(x, y) == kEuroBlack; }
    void setBlack(int x, int y, bool black) { setColour(x, y, black ? kEuroBlack : kEuroWhite); }
    // Fills the pixels from (left, top) up to but without (right, bottom) in black or white.
    void fill(int left, int top, int right, int bottom, bool black);

    bool operator==(const EuroPicture&) const = default;

private:
    int m_width = 0;
    int m_height = 0;
    BmpForm m_form;
    std::vector<Rgb> m_pixels; // row after row
};

// The European character picture: 10 columns by 13 rows of 57 x 23 cells from the top left
// corner. Cell n (0..127) is in column n mod 10, row n div 10 and shows the character of code n
// beside its label "U00".."U7F"; cells 128 and 129 stay empty.
inline constexpr int kEuroPictureWidth = 572;
inline constexpr int kEuroPictureHeight = 301;
inline constexpr int kEuroCellWidth = 57;
inline constexpr int kEuroCellHeight = 23;
inline constexpr int kEuroColumns = 10;
inline constexpr int kEuroRows = 13;
inline constexpr int kEuroCodes = 128;

// Where in a cell its parts go: the glyph box and the user characters at kEuroGlyphLeft, the
// label's three characters from kEuroLabelLeft, both with their seven body rows from
// kEuroBodyTop.
inline constexpr int kEuroGlyphLeft = 6;
inline constexpr int kEuroLabelLeft = 26;
inline constexpr int kEuroBodyTop = 7;

// The picture built into the program.
EuroPicture BuiltInEuroPicture();

// The code of the cell under picture position (x, y); nullopt for the two empty cells and for
// positions beyond the grid.
std::optional<int> EuroCellCodeAt(int x, int y);

// The selection frame of a cell: (left, top) to (right, bottom), the far edges excluded.
struct FrameRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const FrameRect&) const = default;
};
FrameRect EuroCellFrame(int code);

// Inverts the colour of every other pixel along the edges of the frame (each of red, green and
// blue becomes 255 minus itself), starting at its top left corner: white on black, black on
// white, the opposite colour on any other. Doing it twice gives the picture back exactly.
void InvertDottedFrame(EuroPicture& picture, const FrameRect& frame);

// Draws a user character into the cell of its code: a white strip 15 x 22 over the left of the
// cell, then the record's dots at their true size from the strip's top left corner. Code digits
// that are not hexadecimal count as 0x40; a code beyond 0x7F draws nothing.
void DrawUserCharRecord(EuroPicture& picture, const UserCharRecord& record);

// Pictures larger than this on either side are refused before any pixel is decoded; the files
// read are bounded as well.
inline constexpr int kLargestEuroPictureSide = 4096;
inline constexpr std::size_t kLargestEuroPictureFile = 16 * 1024 * 1024;

// What the header of a bitmap file says, checked against the file: a known header, 1, 4, 8, 16,
// 24 or 32 bits per pixel, a size within bounds, a colour table inside the file and, for rows
// that are not compressed, every row present. The pixels themselves are decoded elsewhere.
struct BmpHeader {
    int width = 0;
    int height = 0; // always positive; `topDown` says in which order the rows are stored
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::vector<Rgb> palette;
};
Result<BmpHeader> ReadBmpHeader(std::string_view bytes);

// The form a picture with this header is saved in: its own, except that 16 bits per pixel (a
// form that cannot hold every colour) is saved with 24.
BmpForm SavedFormOf(const BmpHeader& header);

// The picture as a bitmap file in its form, rows bottom up, each padded to four bytes. A colour
// table that lacks a colour the picture now holds (the white and black of characters drawn into
// a picture without them) takes it into an unused entry; when the depth has no entry left the
// next depth that has one is written (1, 4, 8 bits), and beyond 256 colours 24 bits.
Bytes EncodeEuroBmp(const EuroPicture& picture);

// Through the file writer that replaces a file whole or not at all.
Status WriteEuroBmp(const std::filesystem::path& path, const EuroPicture& picture);

// The picture that goes back in place when the sign returns to its default font, with the bytes
// of the file to save: the factory file unchanged when it reads as a picture, else the built-in
// picture. `problem` says why an existing factory file was not used (empty when it was used or
// is missing).
struct FactoryEuroPicture {
    EuroPicture picture;
    Bytes file;
    std::string problem;
};

} // namespace lumivo
