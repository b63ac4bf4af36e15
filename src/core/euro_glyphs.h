#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// A glyph of the European character picture, drawn in dots: one text row per pixel row, "#" for
// a dot, "." for none. `top` is the row of the glyph box its first row lands on.
//
// The box is 16 rows high: rows 0..2 hold the accents of capitals, rows 4..10 the body of a
// character (its seven sign rows), rows 11..12 descenders and marks below the body.
struct DotGlyph {
    std::vector<std::string> rows;
    int top = 0;
};

inline constexpr int kGlyphBodyTop = 4;

// The factory glyph of a European character code 0x00..0x7F: symbols and letters for
// 0x00..0x3F, accented Latin letters for 0x40..0x7F. An empty glyph for any other code.
DotGlyph EuroCharGlyph(int code);

// The marks that make the accented letters of codes 0x40..0x7F.
enum class EuroMark { Grave, Acute, Circumflex, Tilde, Diaeresis, Ring, Caron, Cedilla, Ogonek };

// What an accented letter is made of: its base letter ("i" stands for the dotless i) and its mark.
struct EuroAccent {
    char letter = 0;
    EuroMark mark = EuroMark::Grave;
};

// The base letter and mark of an accented character code 0x40..0x7F; nothing for other codes.
std::optional<EuroAccent> EuroAccentOf(int code);

// The 5 x 7 dots of a cell label character: "U", "0".."9", "A".."F"; empty for any other.
std::vector<std::string> LabelGlyph(char character);

// Splits "..#. .#.." into its rows.
std::vector<std::string> SplitDotRows(std::string_view rows);

} // namespace lumivo
