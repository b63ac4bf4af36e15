#include "core/euro_glyphs.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace lumivo {

namespace {

// Codes 0x00..0x3F: symbols, then letters of the European languages and Greek. Each is its body
// (seven rows, some with two rows below), placed at the body row of the glyph box.
constexpr std::array<std::string_view, 64> kSymbolGlyphs = {
    "..##. .#..# .#... ###.. .#... .#..# #####",                       // 00 pound
    "#...# .#.#. ..#.. ##### ..#.. ##### ..#..",                       // 01 yen
    "..### .#... ####. .#... ####. .#... ..###",                       // 02 euro
    "..#.. .#### #.#.. #.#.. #.#.. .#### ..#..",                       // 03 cent
    ".###. #.... .###. #...# .###. ....# .###.",                       // 04 section
    ".#### ###.# ###.# .##.# ..#.# ..#.# ..#.#",                       // 05 pilcrow
    "..###.. .#...#. #..##.# #.#...# #..##.# .#...#. ..###..",         // 06 copyright
    "..###.. .#...#. #.##..# #.#.#.# #.##..# #.#.#.# .#...#. ..###..", // 07 registered
    ".##.. #..#. #..#. .##.. ..... ..... .....",                       // 08 degree
    "..#.. ..#.. ##### ..#.. ..#.. ..... #####",                       // 09 plus-minus
    "..... ..... #...# #...# #...# ##.## #.#.# #.... #....",           // 0A micro
    "..... #...# .#.#. ..#.. .#.#. #...# .....",                       // 0B times
    "..... ..#.. ..... ##### ..... ..#.. .....",                       // 0C divide
    "..#.. ..... ..#.. .#... #.... #...# .###.",                       // 0D inverted question
    "..#.. ..... ..#.. ..#.. ..#.. ..#.. ..#..",                       // 0E inverted exclamation
    "..... ..#.# .#.#. #.#.. .#.#. ..#.# .....",                       // 0F left guillemet
    "..... #.#.. .#.#. ..#.# .#.#. #.#.. .....",                       // 10 right guillemet
    "..... ..... ##### ....# ....# ..... .....",                       // 11 not
    "..#.. ..#.. ..#.. ..... ..#.. ..#.. ..#..",                       // 12 broken bar
    "..#.. ##### ..#.. ..#.. ..#.. ..#.. ..#..",                       // 13 dagger
    ".#... ##... .#... ###.. ..... ..... .....",                       // 14 superscript one
    "##... ..#.. .#... ###.. ..... ..... .....",                       // 15 superscript two
    "##... ..#.. .#... ..#.. ##... ..... .....",                       // 16 superscript three
    "..... #...# .###. .#.#. .###. #...# .....",                       // 17 currency
    "..... ..#.. .#... ##### .#... ..#.. .....",                       // 18 arrow left
    "..... ..#.. ...#. ##### ...#. ..#.. .....",                       // 19 arrow right
    "..#.. .###. #.#.# ..#.. ..#.. ..#.. ..#..",                       // 1A arrow up
    "..#.. ..#.. ..#.. ..#.. #.#.# .###. ..#..",                       // 1B arrow down
    "..... .#.#. ##### ##### .###. ..#.. .....",                       // 1C heart
    "..#.. ..##. ..#.# ..#.. .##.. ###.. .#...",                       // 1D note
    "..... ##### ##### ##### ##### ##### .....",                       // 1E block
    "..... ..... .###. .###. .###. ..... .....",                       // 1F bullet
    "..#### .#.#.. #..#.. ###### #..#.. #..#.. #..###",                // 20 AE
    "...... ...... ##.##. ..#..# .##### #.#... .#.###",                // 21 ae
    ".#### #..## #.#.# #.#.# #.#.# ##..# ####.",                       // 22 O slash
    "..... ..... .#### #..## #.#.# ##..# ####.",                       // 23 o slash
    ".##.. #..#. #..#. #.#.. #..#. #...# #.##.",                       // 24 sharp s
    ".##### #..#.. #..#.. #..### #..#.. #..#.. .#####",                // 25 OE
    "...... ...... .#.##. #.#..# #.#### #.#... .#.###",                // 26 oe
    ".#... .#... .#.#. .##.. ##... .#... .####",                       // 27 L stroke
    ".##.. ..#.. ..#.# ..##. .##.. ..#.. .###.",                       // 28 l stroke
    "####. .#..# .#..# ###.# .#..# .#..# ####.",                       // 29 Eth
    ".#.#. ..#.. .#.#. ....# .#### #...# .###.",                       // 2A eth
    "#.... ####. #...# #...# ####. #.... #....",                       // 2B Thorn
    "..... #.... #.... ####. #...# #...# ####. #.... #....",           // 2C thorn
    "..... ..... .##.# #..#. #..#. #..#. .##.#",                       // 2D alpha
    ".##.. #..#. #.#.. #..#. #...# ##..# #.##. #.... #....",           // 2E beta
    "..... ..... #...# .#.#. ..#.. ..#.. .#.#. ..#..",                 // 2F gamma
    ".###. .#... ..#.. .###. #...# #...# .###.",                       // 30 delta
    "..... ..... ##### .#.#. .#.#. .#.#. .#..#",                       // 31 pi
    "##### #.... .#... ..#.. .#... #.... #####",                       // 32 Sigma
    ".###. #...# #...# #...# .#.#. .#.#. ##.##",                       // 33 Omega
    "..#.. ..#.. .#.#. .#.#. #...# #...# #####",                       // 34 Delta
    ".###. #...# #...# ##### #...# #...# .###.",                       // 35 theta
    "#.... .#... .#... ..#.. .#.#. .#.#. #...#",                       // 36 lambda
    "..... ..... .#### #..#. #...# #...# .###.",                       // 37 sigma
    "..#.. ..#.. .###. #.#.# #.#.# .###. ..#.. ..#..",                 // 38 phi
    "..... ..... .#.#. #...# #.#.# #.#.# .#.#.",                       // 39 omega
    "##### #.... #.... #.... #.... #.... #....",                       // 3A Gamma
    "#.#.# #.#.# #.#.# .###. ..#.. ..#.. ..#..",                       // 3B Psi
    "##### .#.#. .#.#. .#.#. .#.#. .#.#. .#.#.",                       // 3C Pi
    ".##.. ...#. .###. #..#. .###. ..... ####.",                       // 3D feminine ordinal
    ".##.. #..#. #..#. .##.. ..... ####. .....",                       // 3E masculine ordinal
    "....... ....... .#...#. #.#.#.# #..#..# #.#.#.# .#...#.",         // 3F infinity
};

// The letters the accented characters are made of: capitals fill the seven body rows, small
// letters the lower five (rows 0 and 1 stay free for the accent).
enum class Base { A, C, E, I, N, O, S, U, Y, Z, a, c, e, i, n, o, s, u, y, z };

constexpr std::array<std::string_view, 20> kBaseLetters = {
    ".###. #...# #...# ##### #...# #...# #...#",       // A
    ".###. #...# #.... #.... #.... #...# .###.",       // C
    "##### #.... #.... ####. #.... #.... #####",       // E
    ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",       // I
    "#...# ##..# #.#.# #..## #...# #...# #...#",       // N
    ".###. #...# #...# #...# #...# #...# .###.",       // O
    ".#### #.... #.... .###. ....# ....# ####.",       // S
    "#...# #...# #...# #...# #...# #...# .###.",       // U
    "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",       // Y
    "##### ....# ...#. ..#.. .#... #.... #####",       // Z
    "..... ..... .###. ....# .#### #...# .####",       // a
    "..... ..... .###. #.... #.... #...# .###.",       // c
    "..... ..... .###. #...# ##### #.... .###.",       // e
    "..... ..... .##.. ..#.. ..#.. ..#.. .###.",       // dotless i
    "..... ..... #.##. ##..# #...# #...# #...#",       // n
    "..... ..... .###. #...# #...# #...# .###.",       // o
    "..... ..... .#### #.... .###. ....# ####.",       // s
    "..... ..... #...# #...# #...# #..## .##.#",       // u
    "..... ..... #...# #...# #...# .#### ....# .###.", // y
    "..... ..... ##### ...#. ..#.. .#... #####",       // z
};

using Mark = EuroMark;

constexpr std::array<std::string_view, 9> kMarks = {
    ".#... ..#..",       // grave
    "...#. ..#..",       // acute
    "..#.. .#.#.",       // circumflex
    ".##.# #.##.",       // tilde
    ".#.#.",             // diaeresis
    "..#.. .#.#. ..#..", // ring
    ".#.#. ..#..",       // caron
    "..#.. .##..",       // cedilla (below)
    "..#.. ...##",       // ogonek (below)
};

constexpr bool IsBelow(Mark mark) {
    return mark == Mark::Cedilla || mark == Mark::Ogonek;
}

struct Accented {
    Base base;
    Mark mark;
};

// Codes 0x40..0x7F.
constexpr std::array<Accented, 64> kAccentedGlyphs = {{
    {Base::A, Mark::Grave},      {Base::A, Mark::Acute},      {Base::A, Mark::Circumflex},
    {Base::A, Mark::Tilde},      {Base::A, Mark::Diaeresis},  {Base::A, Mark::Ring},
    {Base::C, Mark::Cedilla},    {Base::E, Mark::Grave},      {Base::E, Mark::Acute},
    {Base::E, Mark::Circumflex}, {Base::E, Mark::Diaeresis},  {Base::I, Mark::Grave},
    {Base::I, Mark::Acute},      {Base::I, Mark::Circumflex}, {Base::I, Mark::Diaeresis},
    {Base::N, Mark::Tilde}, // 4F
    {Base::O, Mark::Grave},      {Base::O, Mark::Acute},      {Base::O, Mark::Circumflex},
    {Base::O, Mark::Tilde},      {Base::O, Mark::Diaeresis},  {Base::U, Mark::Grave},
    {Base::U, Mark::Acute},      {Base::U, Mark::Circumflex}, {Base::U, Mark::Diaeresis},
    {Base::Y, Mark::Acute},      {Base::a, Mark::Grave},      {Base::a, Mark::Acute},
    {Base::a, Mark::Circumflex}, {Base::a, Mark::Tilde},      {Base::a, Mark::Diaeresis},
    {Base::a, Mark::Ring}, // 5F
    {Base::c, Mark::Cedilla},    {Base::e, Mark::Grave},      {Base::e, Mark::Acute},
    {Base::e, Mark::Circumflex}, {Base::e, Mark::Diaeresis},  {Base::i, Mark::Grave},
    {Base::i, Mark::Acute},      {Base::i, Mark::Circumflex}, {Base::i, Mark::Diaeresis},
    {Base::n, Mark::Tilde},      {Base::o, Mark::Grave},      {Base::o, Mark::Acute},
    {Base::o, Mark::Circumflex}, {Base::o, Mark::Tilde},      {Base::o, Mark::Diaeresis},
    {Base::u, Mark::Grave}, // 6F
    {Base::u, Mark::Acute},      {Base::u, Mark::Circumflex}, {Base::u, Mark::Diaeresis},
    {Base::y, Mark::Acute},      {Base::y, Mark::Diaeresis},  {Base::S, Mark::Caron},
    {Base::s, Mark::Caron},      {Base::Z, Mark::Caron},      {Base::z, Mark::Caron},
    {Base::C, Mark::Caron},      {Base::c, Mark::Caron},      {Base::E, Mark::Ogonek},
    {Base::e, Mark::Ogonek},     {Base::A, Mark::Ogonek},     {Base::a, Mark::Ogonek},
    {Base::S, Mark::Acute}, // 7F
}};

constexpr std::array<std::string_view, 17> kLabelGlyphs = {
    "#...# #...# #...# #...# #...# #...# .###.", // U
    ".###. #...# #..## #.#.# ##..# #...# .###.", // 0
    "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.", // 1
    ".###. #...# ....# ...#. ..#.. .#... #####", // 2
    "####. ....# ....# .###. ....# ....# ####.", // 3
    "...#. ..##. .#.#. #..#. ##### ...#. ...#.", // 4
    "##### #.... ####. ....# ....# #...# .###.", // 5
    "..##. .#... #.... ####. #...# #...# .###.", // 6
    "##### ....# ...#. ..#.. .#... .#... .#...", // 7
    ".###. #...# #...# .###. #...# #...# .###.", // 8
    ".###. #...# #...# .#### ....# ...#. .##..", // 9
    ".###. #...# #...# ##### #...# #...# #...#", // A
    "####. #...# #...# ####. #...# #...# ####.", // B
    ".###. #...# #.... #.... #.... #...# .###.", // C
    "####. #...# #...# #...# #...# #...# ####.", // D
    "##### #.... #.... ####. #.... #.... #####", // E
    "##### #.... #.... ####. #.... #.... #....", // F
};

bool IsSmallLetter(Base base) {
    return static_cast<int>(base) >= static_cast<int>(Base::a);
}

// Lays `part` over `rows` from row `top` on, growing the rows as needed.
void Overlay(std::vector<std::string>& rows, int top, const std::vector<std::string>& part) {
    for (std::size_t r = 0; r < part.size(); ++r) {
        const std::size_t row = static_cast<std::size_t>(top) + r;
        if (rows.size() <= row) {
            rows.resize(row + 1);
        }
        std::string& line = rows[row];
        if (line.size() < part[r].size()) {
            line.resize(part[r].size(), '.');
        }
        for (std::size_t c = 0; c < part[r].size(); ++c) {
            if (part[r][c] == '#') {
                line[c] = '#';
            }
        }
    }
}

DotGlyph ComposeAccented(const Accented& glyph) {
    const std::vector<std::string> body =
        SplitDotRows(kBaseLetters[static_cast<std::size_t>(glyph.base)]);
    const std::vector<std::string> mark =
        SplitDotRows(kMarks[static_cast<std::size_t>(glyph.mark)]);
    const int markCount = static_cast<int>(mark.size());
    // A mark above ends one row over the letter: over the box's accent rows for a capital, over
    // the free top rows of the body for a small letter. A mark below hangs under the body.
    int markTop = 0;
    if (IsBelow(glyph.mark)) {
        markTop = kGlyphBodyTop + 7;
    } else if (IsSmallLetter(glyph.base)) {
        markTop = kGlyphBodyTop + 1 - markCount;
    } else {
        markTop = kGlyphBodyTop - 1 - markCount;
    }
    // Rows are collected from the box's first row, then the leading empty ones are cut.
    std::vector<std::string> rows;
    Overlay(rows, kGlyphBodyTop, body);
    Overlay(rows, markTop, mark);
    const int top = std::min(markTop, kGlyphBodyTop);
    rows.erase(rows.begin(), rows.begin() + top);
    return DotGlyph{rows, top};
}

} // namespace

std::vector<std::string> SplitDotRows(std::string_view rows) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= rows.size()) {
        const std::size_t end = rows.find(' ', start);
        const std::size_t stop = end == std::string_view::npos ? rows.size() : end;
        if (stop > start) {
            result.emplace_back(rows.substr(start, stop - start));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return result;
}

DotGlyph EuroCharGlyph(int code) {
    if (code >= 0 && code < 0x40) {
        return DotGlyph{SplitDotRows(kSymbolGlyphs[static_cast<std::size_t>(code)]), kGlyphBodyTop};
    }
    if (code >= 0x40 && code < 0x80) {
        return ComposeAccented(kAccentedGlyphs[static_cast<std::size_t>(code - 0x40)]);
    }
    return {};
}

std::optional<EuroAccent> EuroAccentOf(int code) {
    if (code < 0x40 || code >= 0x80) {
        return std::nullopt;
    }
    // The base letters in the order of the Base enumeration.
    constexpr std::string_view kLetters = "ACEINOSUYZaceinosuyz";
    static_assert(kLetters.size() == kBaseLetters.size());
    const Accented& glyph = kAccentedGlyphs[static_cast<std::size_t>(code - 0x40)];
    return EuroAccent{kLetters[static_cast<std::size_t>(glyph.base)], glyph.mark};
}

std::vector<std::string> LabelGlyph(char character) {
    if (character == 'U') {
        return SplitDotRows(kLabelGlyphs[0]);
    }
    if (character >= '0' && character <= '9') {
        return SplitDotRows(kLabelGlyphs[static_cast<std::size_t>(character - '0' + 1)]);
    }
    if (character >= 'A' && character <= 'F') {
        return SplitDotRows(kLabelGlyphs[static_cast<std::size_t>(character - 'A' + 11)]);
    }
    return {};
}

} // namespace lumivo
