#include "core/led_fonts.h"

#include "core/euro_glyphs.h"
#include "core/led_font_sheets.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo {

namespace {

// A glyph while it is being built: one string per row, "#" lit, "." unlit.
using Rows = std::vector<std::string>;

constexpr int kFirstPrintable = 0x20;
constexpr int kPrintableCount = 0x7F - kFirstPrintable;
constexpr int kEuropeanCount = 0x80;
constexpr int kFontCount = 5;

// How a font uses its rows: capitals and digits stand on `body` rows from the top; any rows under
// them take descenders and marks under a letter.
struct Metrics {
    int width;
    int height;
    int body;
};

Metrics MetricsOf(FontKind font) {
    switch (font) {
    case FontKind::Font5x7:
        return {5, 7, 7};
    case FontKind::Font6x7:
        return {6, 7, 7};
    case FontKind::Font4x7:
        return {4, 7, 7};
    case FontKind::Font7x13:
        return {7, 13, 11};
    case FontKind::Font5x8:
        return {5, 8, 7};
    }
    return {5, 7, 7};
}

constexpr std::array<FontKind, kFontCount> kFonts = {
    FontKind::Font5x7, FontKind::Font6x7, FontKind::Font4x7, FontKind::Font7x13, FontKind::Font5x8};

std::size_t FontIndex(FontKind font) {
    return static_cast<std::size_t>(std::find(kFonts.begin(), kFonts.end(), font) - kFonts.begin());
}

bool IsBlank(const std::string& row) {
    return row.find('#') == std::string::npos;
}

int LitCount(const std::string& row) {
    return static_cast<int>(std::count(row.begin(), row.end(), '#'));
}

int LeadingBlank(const Rows& rows) {
    int count = 0;
    while (count < static_cast<int>(rows.size()) &&
           IsBlank(rows[static_cast<std::size_t>(count)])) {
        ++count;
    }
    return count;
}

int TrailingBlank(const Rows& rows) {
    int count = 0;
    while (count < static_cast<int>(rows.size()) &&
           IsBlank(rows[rows.size() - 1 - static_cast<std::size_t>(count)])) {
        ++count;
    }
    return count;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        lines.push_back(text.substr(start, stop - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

// Reads a font sheet into its 95 glyphs. A sheet that breaks the layout in any way (a band with
// ragged rows, a label out of order, a stray character, a glyph missing) gives no glyphs at all,
// so a slip in the drawing cannot shift every later character by one.
std::vector<Rows> ParseSheet(std::string_view sheet, int width, int height) {
    const std::vector<std::string_view> lines = SplitLines(sheet);
    const std::size_t pitch = static_cast<std::size_t>(width) + 1;
    const std::size_t rowCount = static_cast<std::size_t>(height);
    std::vector<Rows> glyphs;
    std::size_t line = 0;
    while (line < lines.size()) {
        if (lines[line].empty()) {
            ++line;
            continue;
        }
        if (line + rowCount >= lines.size()) {
            return {};
        }
        const std::string_view label = lines[line];
        const std::size_t length = lines[line + 1].size();
        if ((length + 1) % pitch != 0) {
            return {};
        }
        for (std::size_t r = 1; r <= rowCount; ++r) {
            const std::string_view row = lines[line + r];
            if (row.size() != length) {
                return {};
            }
            for (std::size_t c = 0; c < length; ++c) {
                const bool gap = (c + 1) % pitch == 0;
                if (gap ? row[c] != ' ' : row[c] != '#' && row[c] != '.') {
                    return {};
                }
            }
        }
        for (std::size_t column = 0; column < length; column += pitch) {
            const auto expected = static_cast<char>(kFirstPrintable + glyphs.size());
            if (column >= label.size() || label[column] != expected) {
                return {};
            }
            Rows glyph;
            for (std::size_t r = 1; r <= rowCount; ++r) {
                glyph.emplace_back(lines[line + r].substr(column, static_cast<std::size_t>(width)));
            }
            glyphs.push_back(std::move(glyph));
        }
        line += rowCount + 1;
    }
    if (glyphs.size() != static_cast<std::size_t>(kPrintableCount)) {
        return {};
    }
    return glyphs;
}

const std::vector<Rows>& Printables(FontKind font) {
    static const std::array<std::vector<Rows>, kFontCount> tables = [] {
        std::array<std::vector<Rows>, kFontCount> parsed;
        for (FontKind kind : kFonts) {
            const Metrics metrics = MetricsOf(kind);
            parsed[FontIndex(kind)] =
                ParseSheet(PrintableSheet(kind), metrics.width, metrics.height);
        }
        return parsed;
    }();
    return tables[FontIndex(font)];
}

// Which row of rows[first, last) gives way when a glyph must lose a row, or doubles when it must
// gain one: a row repeating its neighbour first, then a thin row crossing two strokes, then a
// single dot that merely continues a neighbour's dot (the end of a bar or of an upright), then any
// other row that is not a bar, the one nearest the middle (then the lower one) winning each tie.
// Bars go last, so the strokes that make a letter what it is stay.
bool Continues(const std::string& row, const std::string& neighbour) {
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (row[c] == '#' && (c >= neighbour.size() || neighbour[c] != '#')) {
            return false;
        }
    }
    return true;
}

// A bar runs across at least half the glyph (three dots of five, two of four, four of seven).
bool IsBar(const std::string& row) {
    const std::size_t needed = std::max<std::size_t>(2, (row.size() + 1) / 2);
    std::size_t run = 0;
    for (char dot : row) {
        run = dot == '#' ? run + 1 : 0;
        if (run >= needed) {
            return true;
        }
    }
    return false;
}

int RowCost(const Rows& rows, std::size_t index) {
    const std::string& row = rows[index];
    if (IsBar(row)) {
        return 4;
    }
    const bool repeats = (index > 0 && rows[index - 1] == row) ||
                         (index + 1 < rows.size() && rows[index + 1] == row);
    if (repeats) {
        return 0;
    }
    if (LitCount(row) >= 2) {
        return 1;
    }
    const bool continues = (index > 0 && Continues(row, rows[index - 1])) ||
                           (index + 1 < rows.size() && Continues(row, rows[index + 1]));
    return continues ? 2 : 3;
}

std::size_t PickRow(const Rows& rows, std::size_t first, std::size_t last) {
    std::size_t best = first;
    int bestCost = 0;
    int bestDistance = 0;
    for (std::size_t index = first; index < last; ++index) {
        const int cost = RowCost(rows, index);
        const int distance =
            std::abs(static_cast<int>(2 * index) - static_cast<int>(first + last - 1));
        if (index == first || cost < bestCost || (cost == bestCost && distance <= bestDistance)) {
            best = index;
            bestCost = cost;
            bestDistance = distance;
        }
    }
    return best;
}

// Takes `count` rows out of the lit part of the glyph, keeping its first and last lit rows, and
// puts blank rows at the top instead, so the glyph keeps its height and its baseline.
void Squeeze(Rows& rows, int count) {
    for (int i = 0; i < count; ++i) {
        const std::size_t top = static_cast<std::size_t>(LeadingBlank(rows));
        const std::size_t bottom = rows.size() - static_cast<std::size_t>(TrailingBlank(rows));
        if (bottom <= top + 2) {
            return;
        }
        const std::size_t index = PickRow(rows, top + 1, bottom - 1);
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
        rows.insert(rows.begin(), std::string(rows.front().size(), '.'));
    }
}

// Makes `rows` exactly `target` rows high by doubling rows, spread so no row doubles twice before
// every suitable row has doubled once.
Rows Stretch(const Rows& rows, std::size_t target) {
    std::vector<int> copies(rows.size(), 1);
    for (std::size_t added = rows.size(); added < target; ++added) {
        std::size_t best = 0;
        int bestScore = 0;
        for (std::size_t index = 0; index < rows.size(); ++index) {
            const int cost = IsBlank(rows[index]) ? 3 : RowCost(rows, index);
            const int score = copies[index] * 5 + cost;
            if (index == 0 || score < bestScore) {
                best = index;
                bestScore = score;
            }
        }
        ++copies[best];
    }
    Rows result;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        result.insert(result.end(), static_cast<std::size_t>(copies[index]), rows[index]);
    }
    return result;
}

// Lays `part` over `rows` from row `top` on; dots outside the glyph are dropped.
void Overlay(Rows& rows, int top, const Rows& part) {
    for (std::size_t r = 0; r < part.size(); ++r) {
        const int y = top + static_cast<int>(r);
        if (y < 0 || y >= static_cast<int>(rows.size())) {
            continue;
        }
        std::string& row = rows[static_cast<std::size_t>(y)];
        for (std::size_t c = 0; c < part[r].size() && c < row.size(); ++c) {
            if (part[r][c] == '#') {
                row[c] = '#';
            }
        }
    }
}

DotImage ToImage(const Rows& rows) {
    const int columns = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    DotImage image(columns, static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#') {
                image.set(static_cast<int>(x), static_cast<int>(y), Dot::Red);
            }
        }
    }
    return image;
}

// The accent marks, drawn for each width of letter so they stand centred over it. Marks above are
// two rows (the diaeresis one; two in the large font); marks below are two rows, of which a font
// with less room below uses the last.
struct MarkSet {
    int width;
    std::array<std::string_view, 9> marks; // in EuroMark order
};

constexpr std::array<MarkSet, 4> kMarkSets = {{
    {4,
     {".#.. ..#.", "..#. .#..", ".##. #..#", ".#.# #.#.", "#..#", "#### #..#", "#..# .##.",
      ".#.. ##..", "..#. ..##"}},
    {5,
     {".#... ..#..", "...#. ..#..", "..#.. .#.#.", ".##.# #.##.", ".#.#.", ".###. .#.#.",
      ".#.#. ..#..", "..#.. .##..", "..#.. ...##"}},
    {6,
     {"..#... ...#..", "...#.. ..#...", "..##.. .#..#.", ".##..# #..##.", ".#..#.", ".####. .#..#.",
      ".#..#. ..##..", "..##.. .##...", "...#.. ...###"}},
    {7,
     {"..##... ...##..", "...##.. ..##...", "..###.. .##.##.", ".###.## ##.###.", ".##.##. .##.##.",
      ".#####. .##.##.", ".##.##. ..###..", "...##.. .###...", "....##. ....###"}},
}};

Rows MarkRows(EuroMark mark, int width) {
    for (const MarkSet& set : kMarkSets) {
        if (set.width == width) {
            return SplitDotRows(set.marks[static_cast<std::size_t>(mark)]);
        }
    }
    return {};
}

bool IsBelow(EuroMark mark) {
    return mark == EuroMark::Cedilla || mark == EuroMark::Ogonek;
}

// A mark above sits one row over the letter where the font leaves room for both, on the letter
// otherwise. Small letters have their free top rows for it; a capital (or a small letter reaching
// up, like a lifted "y") gives up rows from its middle, so accented capitals are squeezed to stay
// inside the font's height and keep the line's baseline. A mark whose lowest row repeats the
// letter's top row would melt into the letter, so it always keeps a blank row between.
void PlaceAbove(Rows& rows, const Rows& mark) {
    const int markRows = static_cast<int>(mark.size());
    int free = LeadingBlank(rows);
    const bool melts =
        free < static_cast<int>(rows.size()) && mark.back() == rows[static_cast<std::size_t>(free)];
    const int needed = markRows + (melts ? 1 : 0);
    if (free < needed) {
        Squeeze(rows, needed - free);
        free = LeadingBlank(rows);
    }
    const int top = free >= markRows + 1 ? free - markRows - 1 : free - markRows;
    Overlay(rows, top, mark);
}

// A mark below hangs under the letter: in the font's rows below the baseline where it has them
// (the whole mark with two, its last row with one), otherwise the letter moves up into free top
// rows or, a capital, is squeezed by a row. As above, a mark repeating the letter's edge row keeps
// a blank row between them.
void PlaceBelow(Rows& rows, Rows mark) {
    int room = TrailingBlank(rows);
    if (room < 2 && mark.size() > 1) {
        mark.erase(mark.begin(), mark.end() - 1);
    }
    const int markRows = static_cast<int>(mark.size());
    const int height = static_cast<int>(rows.size());
    const bool melts =
        room < height && mark.front() == rows[static_cast<std::size_t>(height - 1 - room)];
    const int gap = melts ? 1 : 0;
    if (room < markRows + gap) {
        // Squeezing frees rows at the top; the letter then moves up into them.
        const int needed = markRows + gap - room;
        Squeeze(rows, std::max(0, needed - LeadingBlank(rows)));
        std::rotate(rows.begin(), rows.begin() + std::min(needed, LeadingBlank(rows)), rows.end());
        room = TrailingBlank(rows);
    }
    Overlay(rows, height - room + gap, mark);
}

Rows ComposeAccented(FontKind font, const EuroAccent& accent) {
    const std::vector<Rows>& printables = Printables(font);
    const auto index = static_cast<std::size_t>(static_cast<unsigned char>(accent.letter));
    if (printables.empty() || index < kFirstPrintable ||
        index >= kFirstPrintable + kPrintableCount) {
        return {};
    }
    Rows rows = printables[index - kFirstPrintable];
    if (accent.letter == 'i') {
        // The dot of the small i gives way to the mark: clear what stands above the first blank
        // row under it.
        std::size_t gap = static_cast<std::size_t>(LeadingBlank(rows));
        while (gap < rows.size() && !IsBlank(rows[gap])) {
            ++gap;
        }
        for (std::size_t r = 0; r < gap && gap < rows.size(); ++r) {
            rows[r].assign(rows[r].size(), '.');
        }
    }
    const Rows mark = MarkRows(accent.mark, MetricsOf(font).width);
    if (IsBelow(accent.mark)) {
        PlaceBelow(rows, mark);
    } else {
        PlaceAbove(rows, mark);
    }
    return rows;
}

// Widens a five-column glyph to six by doubling its middle column, as the wide font is drawn.
std::string Widen(const std::string& row) {
    return row.size() == 5 ? row.substr(0, 3) + row.substr(2) : row;
}

// Narrows a five-column glyph to four by merging its second and third columns.
std::string Narrow(const std::string& row) {
    if (row.size() != 5) {
        return row;
    }
    const char merged = row[1] == '#' || row[2] == '#' ? '#' : '.';
    return std::string{row[0], merged, row[3], row[4]};
}

// Makes every dot two dots wide, adding one column on the right: the large font's upright strokes.
// A one-dot gap between two dots stays open, so strokes side by side do not run together.
std::string Embolden(const std::string& row) {
    std::string bold(row.size() + 1, '.');
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (row[c] == '#') {
            bold[c] = '#';
            if (c + 2 >= row.size() || row[c + 2] != '#') {
                bold[c + 1] = '#';
            }
        }
    }
    return bold;
}

// Fits rows drawn for seven body rows (plus some below) into a font's height: rows below first
// drop blank rows from the top, then the glyph is squeezed; short glyphs are padded below.
Rows FitHeight(Rows rows, int height) {
    const std::size_t target = static_cast<std::size_t>(height);
    const std::size_t excess = rows.size() > target ? rows.size() - target : 0;
    const std::size_t drop = std::min(excess, static_cast<std::size_t>(LeadingBlank(rows)));
    rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(drop));
    while (rows.size() > target) {
        const std::size_t last = rows.size();
        const std::size_t index = PickRow(rows, 1, last - 1);
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
    }
    rows.resize(target, std::string(rows.empty() ? 0 : rows.front().size(), '.'));
    return rows;
}

// The symbols and the letters without a base letter (codes 0x00..0x3F) exist as 5 x 7 drawings;
// the other fonts take them from there: as they are for the 5 x 8 font, one column wider for the
// wide font, one narrower for the condensed font, and stretched to the large font's rows and
// emboldened like its letters. Drawings wider than five columns keep their width.
Rows ScaledSymbol(FontKind font, int code) {
    const DotGlyph glyph = EuroCharGlyph(code);
    Rows rows = glyph.rows;
    if (rows.empty()) {
        return {};
    }
    const std::size_t width =
        std::max_element(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
            return a.size() < b.size();
        })->size();
    for (std::string& row : rows) {
        row.resize(width, '.');
    }
    const Metrics metrics = MetricsOf(font);
    switch (font) {
    case FontKind::Font5x7:
    case FontKind::Font5x8:
        return FitHeight(rows, metrics.height);
    case FontKind::Font6x7:
        std::transform(rows.begin(), rows.end(), rows.begin(), Widen);
        return FitHeight(rows, metrics.height);
    case FontKind::Font4x7:
        std::transform(rows.begin(), rows.end(), rows.begin(), Narrow);
        return FitHeight(rows, metrics.height);
    case FontKind::Font7x13: {
        const auto bodyRows = std::min<std::size_t>(7, rows.size());
        Rows body(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(bodyRows));
        Rows large = Stretch(body, static_cast<std::size_t>(metrics.body));
        large.insert(large.end(), rows.begin() + static_cast<std::ptrdiff_t>(bodyRows), rows.end());
        large = FitHeight(large, metrics.height);
        for (std::string& row : large) {
            row = Embolden(Widen(row));
        }
        return large;
    }
    }
    return {};
}

std::string HexByte(int value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    return std::string{kDigits[static_cast<std::size_t>(value >> 4) & 0xF],
                       kDigits[static_cast<std::size_t>(value) & 0xF]};
}

// Glyphs side by side under their labels, as many bands as needed, about 100 columns wide.
void AppendBands(std::string& text, const std::vector<std::pair<std::string, DotImage>>& cells) {
    std::size_t first = 0;
    while (first < cells.size()) {
        std::size_t end = first;
        std::size_t used = 0;
        int rows = 0;
        while (end < cells.size()) {
            const std::size_t cell =
                std::max<std::size_t>(static_cast<std::size_t>(cells[end].second.columns()),
                                      cells[end].first.size()) +
                1;
            if (end > first && used + cell > 100) {
                break;
            }
            used += cell;
            rows = std::max(rows, cells[end].second.rows());
            ++end;
        }
        std::vector<std::string> lines(static_cast<std::size_t>(rows) + 1);
        for (std::size_t i = first; i < end; ++i) {
            const DotImage& image = cells[i].second;
            const std::size_t cell =
                std::max<std::size_t>(static_cast<std::size_t>(image.columns()),
                                      cells[i].first.size()) +
                1;
            std::string label = cells[i].first;
            label.resize(cell, ' ');
            lines[0] += label;
            for (int y = 0; y < rows; ++y) {
                std::string row;
                for (int x = 0; x < image.columns(); ++x) {
                    row += image.at(x, y) == Dot::Off ? '.' : '#';
                }
                row.resize(cell, ' ');
                lines[static_cast<std::size_t>(y) + 1] += row;
            }
        }
        for (std::string& line : lines) {
            line.erase(line.find_last_not_of(' ') + 1);
            text += line;
            text += '\n';
        }
        text += '\n';
        first = end;
    }
}

} // namespace

int FontHeight(FontKind font) {
    return MetricsOf(font).height;
}

int FontWidth(FontKind font) {
    return MetricsOf(font).width;
}

std::optional<DotImage> FontGlyph(FontKind font, std::uint8_t code) {
    const std::vector<Rows>& printables = Printables(font);
    if (code < kFirstPrintable || code >= kFirstPrintable + kPrintableCount || printables.empty()) {
        return std::nullopt;
    }
    return ToImage(printables[code - kFirstPrintable]);
}

std::optional<DotImage> EuropeanGlyph(FontKind font, std::uint8_t code) {
    if (code >= kEuropeanCount) {
        return std::nullopt;
    }
    const std::optional<EuroAccent> accent = EuroAccentOf(code);
    const Rows rows = accent ? ComposeAccented(font, *accent) : ScaledSymbol(font, code);
    if (rows.empty()) {
        return std::nullopt;
    }
    return ToImage(rows);
}

std::string FontName(FontKind font) {
    const Metrics metrics = MetricsOf(font);
    return std::to_string(metrics.width) + "x" + std::to_string(metrics.height);
}

std::string FontSheetText(FontKind font, bool european) {
    std::string text = "Font " + FontName(font) + "\n\n";
    std::vector<std::pair<std::string, DotImage>> cells;
    for (int code = kFirstPrintable; code < kFirstPrintable + kPrintableCount; ++code) {
        if (const auto glyph = FontGlyph(font, static_cast<std::uint8_t>(code))) {
            cells.emplace_back(std::string(1, static_cast<char>(code)), *glyph);
        }
    }
    AppendBands(text, cells);
    if (european) {
        cells.clear();
        for (int code = 0; code < kEuropeanCount; ++code) {
            if (const auto glyph = EuropeanGlyph(font, static_cast<std::uint8_t>(code))) {
                cells.emplace_back(HexByte(code), *glyph);
            }
        }
        text += "European characters\n\n";
        AppendBands(text, cells);
    }
    return text;
}

} // namespace lumivo
