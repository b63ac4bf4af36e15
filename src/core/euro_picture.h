#pragma once

#include "core/bytes.h"
#include "core/result.h"
#include "core/userfont.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// A black and white picture, one bit per pixel; (0, 0) is the top left corner.
class OneBitPicture {
public:
    OneBitPicture() = default;
    OneBitPicture(int width, int height); // all white

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels outside the picture read as white and ignore writes.
    bool black(int x, int y) const;
    void setBlack(int x, int y, bool black);
    // Fills the pixels from (left, top) up to but without (right, bottom).
    void fill(int left, int top, int right, int bottom, bool black);

    bool operator==(const OneBitPicture&) const = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_black; // one byte per pixel, row after row
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
OneBitPicture BuiltInEuroPicture();

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

// Inverts every other pixel along the edges of the frame, starting at its top left corner.
// Doing it twice gives the picture back.
void InvertDottedFrame(OneBitPicture& picture, const FrameRect& frame);

// Draws a user character into the cell of its code: a white strip 15 x 22 over the left of the
// cell, then the record's dots at their true size from the strip's top left corner. Code digits
// that are not hexadecimal count as 0x40; a code beyond 0x7F draws nothing.
void DrawUserCharRecord(OneBitPicture& picture, const UserCharRecord& record);

// Windows bitmap files with one bit per pixel: a two-colour palette (black, white), rows bottom
// up, each padded to four bytes. The decoder also takes top-down rows and any two-colour
// palette, a pixel counting as black when its palette colour is dark.
Bytes EncodeOneBitBmp(const OneBitPicture& picture);
Result<OneBitPicture> DecodeOneBitBmp(std::string_view bytes);

// Through the file writer that replaces a file whole or not at all.
Status WriteOneBitBmp(const std::filesystem::path& path, const OneBitPicture& picture);
Result<OneBitPicture> ReadOneBitBmp(const std::filesystem::path& path);

// The picture that goes back in place when the sign returns to its default font, with the bytes
// of the file to save: the factory file unchanged when it reads as a picture, else the built-in
// picture. `problem` says why an existing factory file was not used (empty when it was used or
// is missing).
struct FactoryEuroPicture {
    OneBitPicture picture;
    Bytes file;
    std::string problem;
};
FactoryEuroPicture LoadFactoryEuroPicture(const std::filesystem::path& factoryFile);

} // namespace lumivo
