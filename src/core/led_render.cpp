#include "core/led_render.h"

#include "core/led_effects.h"
#include "core/led_fonts.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace lumivo {

namespace {

constexpr std::size_t kFontCount = 5;
constexpr int kGlyphCodes = 256;

std::size_t FontIndex(FontKind font) {
    return static_cast<std::size_t>(font);
}

// Every glyph of every font, made once: printable bytes by byte, European characters by code.
struct GlyphTables {
    std::array<std::array<std::optional<DotImage>, kGlyphCodes>, kFontCount> text;
    std::array<std::array<std::optional<DotImage>, 128>, kFontCount> european;
};

const GlyphTables& Glyphs() {
    static const GlyphTables tables = [] {
        GlyphTables t;
        for (std::size_t f = 0; f < kFontCount; ++f) {
            const auto font = static_cast<FontKind>(f);
            for (int code = 0; code < kGlyphCodes; ++code) {
                t.text[f][static_cast<std::size_t>(code)] =
                    FontGlyph(font, static_cast<std::uint8_t>(code));
            }
            for (int code = 0; code < 128; ++code) {
                t.european[f][static_cast<std::size_t>(code)] =
                    EuropeanGlyph(font, static_cast<std::uint8_t>(code));
            }
        }
        return t;
    }();
    return tables;
}

// A hollow box the size of the font's glyphs: what a byte without a glyph shows.
DotImage PlaceholderBox(FontKind font) {
    const int w = FontWidth(font);
    const int h = FontHeight(font);
    DotImage box(w, h);
    for (int x = 0; x < w; ++x) {
        box.set(x, 0, Dot::Red);
        box.set(x, h - 1, Dot::Red);
    }
    for (int y = 0; y < h; ++y) {
        box.set(0, y, Dot::Red);
        box.set(w - 1, y, Dot::Red);
    }
    return box;
}

std::optional<FontKind> FontOfLetter(char letter) {
    switch (letter) {
    case 'A':
        return FontKind::Font5x7;
    case 'B':
        return FontKind::Font6x7;
    case 'C':
        return FontKind::Font4x7;
    case 'D':
        return FontKind::Font7x13;
    case 'F':
        return FontKind::Font5x8;
    default:
        return std::nullopt;
    }
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

bool IsCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A graphic block code "<G" letter + one or two digits + ">": its length, letter and number.
struct BlockCode {
    std::size_t length;
    char letter;
    int number;
};

std::optional<BlockCode> MatchBlockCode(std::string_view s) {
    if (s.size() < 5 || s[0] != '<' || s[1] != 'G' || !IsCapital(s[2]) || !IsDigit(s[3]))
        return std::nullopt;
    if (s[4] == '>')
        return BlockCode{5, s[2], s[3] - '0'};
    if (s.size() >= 6 && IsDigit(s[4]) && s[5] == '>')
        return BlockCode{6, s[2], (s[3] - '0') * 10 + (s[4] - '0')};
    return std::nullopt;
}

// Two hexadecimal digits after a letter: "<N0A>", "<U41>".
std::optional<int> MatchHexCode(std::string_view s, char letter) {
    if (s.size() < 5 || s[0] != '<' || s[1] != letter || !IsHex(s[2]) || !IsHex(s[3]) ||
        s[4] != '>')
        return std::nullopt;
    return HexValue(s[2]) * 16 + HexValue(s[3]);
}

bool IsTwoLetterCode(std::string_view s) {
    return s.size() >= 4 && s[0] == '<' && IsCapital(s[1]) && IsCapital(s[2]) && s[3] == '>';
}

std::string TwoDigits(int value) {
    value = std::clamp(value, 0, 99);
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

// How the dots of a line are coloured. The colour codes act on everything after them:
//   <CA> red, <CD> green, <CH> orange (red and green together, shown yellow) letters on dark;
//   <CL>, <CM>, <CN> the inverse: the background lit in that colour, the letters dark;
//   <CP> red letters on green, <CQ> green letters on red;
//   <CR> RYG: letters in horizontal bands, red at the top, yellow in the middle, green below;
//   <CS> rainbow: lit columns cycling red, yellow, green across the line.
// Codes of other letters leave the colour as it was.
struct Colouring {
    enum class Kind { Plain, Bands, Rainbow };
    Kind kind = Kind::Plain;
    Dot letter = Dot::Red;
    Dot background = Dot::Off;

    static std::optional<Colouring> ofLetter(char code) {
        switch (code) {
        case 'A':
            return Colouring{Kind::Plain, Dot::Red, Dot::Off};
        case 'D':
            return Colouring{Kind::Plain, Dot::Green, Dot::Off};
        case 'H':
            return Colouring{Kind::Plain, Dot::Yellow, Dot::Off};
        case 'L':
            return Colouring{Kind::Plain, Dot::Off, Dot::Red};
        case 'M':
            return Colouring{Kind::Plain, Dot::Off, Dot::Green};
        case 'N':
            return Colouring{Kind::Plain, Dot::Off, Dot::Yellow};
        case 'P':
            return Colouring{Kind::Plain, Dot::Red, Dot::Green};
        case 'Q':
            return Colouring{Kind::Plain, Dot::Green, Dot::Red};
        case 'R':
            return Colouring{Kind::Bands, Dot::Red, Dot::Off};
        case 'S':
            return Colouring{Kind::Rainbow, Dot::Red, Dot::Off};
        default:
            return std::nullopt;
        }
    }

    // The colour of a lit dot at column x, row y of a line `rows` high.
    Dot lit(int x, int y, int rows) const {
        static constexpr Dot kCycle[3] = {Dot::Red, Dot::Yellow, Dot::Green};
        switch (kind) {
        case Kind::Bands:
            return kCycle[std::clamp(y * 3 / std::max(rows, 1), 0, 2)];
        case Kind::Rainbow:
            return kCycle[x % 3];
        case Kind::Plain:
            break;
        }
        return letter;
    }
};

// Draws the text of a line column by column into a 16-row buffer.
class LineDrawer {
public:
    LineDrawer(const SignMemory& memory, bool tall)
        : m_memory(memory), m_rows(tall ? kSignRows : kLineRows) {}

    void draw(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t used = text[i] == '<' ? code(text.substr(i)) : 0;
            if (used > 0) {
                i += used;
            } else {
                character(static_cast<std::uint8_t>(text[i]));
                ++i;
            }
        }
    }

    DotImage image() const {
        const int columns = static_cast<int>(m_columns.size());
        DotImage image(columns, m_rows);
        for (int x = 0; x < columns; ++x) {
            const Column& column = m_columns[static_cast<std::size_t>(x)];
            for (int y = 0; y < m_rows; ++y) {
                image.set(x, y, column[static_cast<std::size_t>(y)]);
            }
        }
        return image;
    }

private:
    using Column = std::array<Dot, kSignRows>;

    std::size_t code(std::string_view s) {
        if (const auto block = MatchBlockCode(s)) {
            graphicBlock(block->letter, block->number);
            return block->length;
        }
        if (const auto column = MatchHexCode(s, 'N')) {
            while (static_cast<int>(m_columns.size()) < *column)
                m_columns.push_back(blank());
            return 5;
        }
        if (const auto code = MatchHexCode(s, 'U')) {
            europeanCharacter(*code);
            return 5;
        }
        if (!IsTwoLetterCode(s))
            return 0;
        switch (s[1]) {
        case 'A':
            if (const auto font = FontOfLetter(s[2]))
                m_font = *font;
            break;
        case 'C':
            if (const auto colouring = Colouring::ofLetter(s[2]))
                m_colouring = *colouring;
            break;
        case 'K':
            if (s[2] == 'D' || s[2] == 'T')
                clockField(s[2] == 'D');
            break;
        default:
            break; // bells and codes we do not know take no room
        }
        return 4;
    }

    Column blank() const {
        Column column{};
        column.fill(Dot::Off);
        for (int y = 0; y < m_rows; ++y)
            column[static_cast<std::size_t>(y)] = m_colouring.background;
        return column;
    }

    // Glyph rows sit at the top of a normal line and in the middle of a tall one.
    int glyphTop(int height) const { return m_rows == kSignRows ? (kSignRows - height) / 2 : 0; }

    // Lays a glyph (lit dots any colour) into new columns, then the blank column after it.
    void glyph(const DotImage& dots) {
        const int top = glyphTop(dots.rows());
        for (int x = 0; x < dots.columns(); ++x) {
            Column column = blank();
            const int lineX = static_cast<int>(m_columns.size());
            for (int y = 0; y < dots.rows(); ++y) {
                const int row = top + y;
                if (row >= 0 && row < m_rows && dots.at(x, y) != Dot::Off)
                    column[static_cast<std::size_t>(row)] = m_colouring.lit(lineX, row, m_rows);
            }
            m_columns.push_back(column);
        }
        m_columns.push_back(blank());
    }

    void character(std::uint8_t byte) {
        const auto& found = Glyphs().text[FontIndex(m_font)][byte];
        glyph(found ? *found : PlaceholderBox(m_font));
    }

    // "<Uhh>": a user character the sign was sent, else the factory European glyph; a code
    // above 0x7F has neither.
    void europeanCharacter(int code) {
        const auto user = m_memory.userCharacters.find(code);
        if (user != m_memory.userCharacters.end()) {
            const auto size = userCharWidth(user->second.size);
            if (size > 0) {
                DotImage dots(size, 7);
                for (int y = 0; y < 7; ++y) {
                    for (int x = 0; x < size; ++x) {
                        if (user->second.rows[static_cast<std::size_t>(y)] & (0x80u >> x))
                            dots.set(x, y, Dot::Red);
                    }
                }
                glyph(dots);
                return;
            }
        }
        if (code >= 0 && code < 128) {
            const auto& found =
                Glyphs().european[FontIndex(m_font)][static_cast<std::size_t>(code)];
            if (found) {
                glyph(*found);
                return;
            }
        }
        glyph(PlaceholderBox(m_font));
    }

    static int userCharWidth(char size) {
        switch (size) {
        case 'A':
            return 5;
        case 'B':
            return 6;
        case 'C':
            return 4;
        default:
            return 0;
        }
    }

    // "<KD>" month/day/year, "<KT>" hours:minutes, from the clock as set; dashes without one.
    void clockField(bool date) {
        std::string shown;
        if (const auto& c = m_memory.clock) {
            shown = date ? TwoDigits(c->month) + "/" + TwoDigits(c->day) + "/" +
                               TwoDigits(c->year % 100)
                         : TwoDigits(c->hour) + ":" + TwoDigits(c->minute);
        } else {
            shown = date ? "--/--/--" : "--:--";
        }
        for (char ch : shown)
            character(static_cast<std::uint8_t>(ch));
    }

    // 32 columns of the block's own colours; the lower half of a tall graphic below it. A block
    // the sign was never sent shows as dark columns.
    void graphicBlock(char letter, int number) {
        const auto upper = m_memory.blocks.find({letter, number});
        const auto lower =
            number <= 4 ? m_memory.blocks.find({letter, number + 4}) : m_memory.blocks.end();
        for (int x = 0; x < kBlockWidth; ++x) {
            Column column{};
            column.fill(Dot::Off);
            for (int y = 0; y < kBlockHeight; ++y) {
                if (upper != m_memory.blocks.end())
                    column[static_cast<std::size_t>(y)] = upper->second.at(x, y);
                if (lower != m_memory.blocks.end() && m_rows == kSignRows)
                    column[static_cast<std::size_t>(kBlockHeight + y)] = lower->second.at(x, y);
            }
            m_columns.push_back(column);
        }
    }

    const SignMemory& m_memory;
    const int m_rows;
    std::vector<Column> m_columns;
    FontKind m_font = FontKind::Font5x7;
    Colouring m_colouring;
};

// A line needs both sign lines when it uses the 7x13 font or shows a graphic with a lower half.
bool NeedsBothLines(std::string_view text, const SignMemory& memory) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<')
            continue;
        const std::string_view rest = text.substr(i);
        if (rest.substr(0, 4) == "<AD>")
            return true;
        if (const auto block = MatchBlockCode(rest)) {
            if (block->number <= 4 && memory.blocks.count({block->letter, block->number + 4}))
                return true;
        }
    }
    return false;
}

// The letter after "<M" encodes the display effect (0..4) and the speed: A.. for speed 3,
// Q.. for 2, a.. for 1, q.. for 0.
bool DecodeDisplayEffect(char letter, PageHeader& header) {
    static constexpr struct {
        char base;
        int speed;
    } kBases[] = {{'A', 3}, {'Q', 2}, {'a', 1}, {'q', 0}};
    for (const auto& b : kBases) {
        if (letter >= b.base && letter < b.base + 5) {
            header.displayEffect = letter - b.base;
            header.speed = b.speed;
            return true;
        }
    }
    return false;
}

bool IsCodeOf(std::string_view s, char first) {
    return s.size() >= 4 && s[0] == '<' && s[1] == first && s[3] == '>';
}

} // namespace

int SignGeometry::clampedColumns() const {
    return std::clamp(columns, kMinSignColumns, kMaxSignColumns);
}

std::optional<SignClock> ClockFromDigits(std::string_view digits) {
    if (digits.size() != 14 || !std::all_of(digits.begin(), digits.end(), IsDigit))
        return std::nullopt;
    const auto field = [&](std::size_t at) {
        return (digits[at] - '0') * 10 + (digits[at + 1] - '0');
    };
    SignClock clock;
    clock.year = 2000 + field(0);
    clock.weekday = field(2);
    clock.month = field(4);
    clock.day = field(6);
    clock.hour = field(8);
    clock.minute = field(10);
    clock.second = field(12);
    return clock;
}

DotImage DotImageFromPixelRows(const std::vector<std::string>& rows) {
    std::size_t columns = 0;
    for (const std::string& row : rows)
        columns = std::max(columns, row.size());
    DotImage image(static_cast<int>(columns), static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const char c = rows[y][x];
            const Dot dot = c == kPixelRed      ? Dot::Red
                            : c == kPixelGreen  ? Dot::Green
                            : c == kPixelYellow ? Dot::Yellow
                                                : Dot::Off;
            image.set(static_cast<int>(x), static_cast<int>(y), dot);
        }
    }
    return image;
}

void SignMemory::addGraphic(int number, const Graphic& graphic) {
    if (number < 1 || number > kGraphicCount || graphic.height() == 0)
        return;
    const char letter = GraphicLetter(number);
    const std::vector<std::string> rows = PadRowsToBlocks(graphic);
    for (int block : BlockOrder(graphic)) {
        const std::size_t firstRow = block <= 4 ? 0 : kBlockHeight;
        const std::size_t firstColumn =
            static_cast<std::size_t>((block <= 4 ? block - 1 : block - 5) * kBlockWidth);
        std::vector<std::string> cut;
        for (std::size_t y = firstRow; y < firstRow + kBlockHeight; ++y) {
            std::string row(kBlockWidth, kPixelOff);
            if (y < rows.size() && firstColumn < rows[y].size())
                row = rows[y].substr(firstColumn, kBlockWidth);
            row.resize(kBlockWidth, kPixelOff);
            cut.push_back(row);
        }
        blocks[{letter, block}] = DotImageFromPixelRows(cut);
    }
}

std::map<int, UserCharacter> UserCharactersOf(const std::vector<UserCharRecord>& records) {
    std::map<int, UserCharacter> characters;
    for (const UserCharRecord& record : records) {
        if (const std::optional<int> code = SignCharCodeOf(record)) {
            UserCharacter character;
            character.size = static_cast<char>(record[3]);
            std::copy_n(record.begin() + 4, character.rows.size(), character.rows.begin());
            characters[*code] = character;
        }
    }
    return characters;
}

SignMemory MemoryFromGraphics(const GraphicSource& graphics) {
    SignMemory memory;
    for (int number = 1; number <= kGraphicCount; ++number) {
        const auto graphic = graphics.load(GraphicName(number));
        if (graphic.ok())
            memory.addGraphic(number, *graphic);
    }
    return memory;
}

std::optional<Effect> EffectOfLetter(char letter) {
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter >= 'A' && letter <= 'N')
        return static_cast<Effect>(letter - 'A');
    if (letter >= 'P' && letter <= 'S')
        return static_cast<Effect>(letter - 'P' + static_cast<int>(Effect::Random));
    return std::nullopt;
}

std::pair<PageHeader, std::string_view> SplitStoredLine(std::string_view stored) {
    PageHeader header;
    if (!IsCodeOf(stored, 'F') || !IsCodeOf(stored.substr(4), 'M') ||
        !IsCodeOf(stored.substr(8), 'W') || !IsCodeOf(stored.substr(12), 'F'))
        return {header, stored};
    if (const auto leading = EffectOfLetter(stored[2]))
        header.leading = *leading;
    DecodeDisplayEffect(stored[6], header);
    const char time = stored[10];
    if (time == 'A')
        header.displaySeconds = 0.5;
    else if (time >= 'B' && time <= 'Z')
        header.displaySeconds = time - 'A';
    if (const auto closing = EffectOfLetter(stored[14]))
        header.closing = *closing;
    return {header, stored.substr(16)};
}

DotImage RenderLineDots(std::string_view text, const SignMemory& memory) {
    LineDrawer drawer(memory, NeedsBothLines(text, memory));
    drawer.draw(text);
    return drawer.image();
}

PageAnimation::PageAnimation(std::string_view stored, const SignMemory& memory,
                             SignGeometry geometry)
    : m_geometry{geometry.clampedColumns()} {
    const auto [header, text] = SplitStoredLine(stored);
    m_header = header;
    m_content = RenderLineDots(text, memory);
    m_seed = detail::HashBytes(stored);
    m_leadingEffect =
        m_header.leading == Effect::Random ? detail::PickRandomEffect(m_seed) : m_header.leading;
    m_closingEffect = m_header.closing == Effect::Random
                          ? detail::PickRandomEffect(m_seed * 2654435761u + 1u)
                          : m_header.closing;
    const int columns = m_geometry.columns;
    const int rows = m_content.rows();
    m_leadingSeconds = detail::EffectSeconds(m_leadingEffect, m_header.speed, columns, rows);
    m_travelSeconds =
        detail::TravelSeconds(m_header.speed, std::max(0, m_content.columns() - columns));
    m_displaySeconds = m_header.displaySeconds;
    m_closingSeconds = detail::EffectSeconds(m_closingEffect, m_header.speed, columns, rows);
    m_duration = m_leadingSeconds + m_travelSeconds + m_displaySeconds + m_closingSeconds;
}

DotImage PageAnimation::frameAt(double seconds) const {
    DotImage frame(m_geometry.columns, kSignRows);
    drawFrame(seconds, frame, 0);
    return frame;
}

void PageAnimation::drawFrame(double seconds, DotImage& target, int top) const {
    const int rows = m_content.rows();
    for (int y = top; y < top + rows; ++y) {
        for (int x = 0; x < target.columns(); ++x)
            target.set(x, y, Dot::Off);
    }
    double t = std::isfinite(seconds) && m_duration > 0 ? std::fmod(seconds, m_duration) : 0.0;
    if (t < 0)
        t += m_duration;

    const int columns = m_geometry.columns;
    const int lastOffset = std::max(0, m_content.columns() - columns);
    detail::View view{&m_content, 0, columns, rows};

    if (t < m_leadingSeconds) {
        detail::DrawEffect(m_leadingEffect, true, t / m_leadingSeconds, view, target, top, m_seed);
        return;
    }
    t -= m_leadingSeconds;
    if (t < m_travelSeconds) {
        view.offset = std::min(lastOffset, static_cast<int>(t / m_travelSeconds * lastOffset));
        detail::DrawView(view, target, top);
        return;
    }
    t -= m_travelSeconds;
    view.offset = lastOffset;
    if (t < m_displaySeconds) {
        // Blinking: shown for the first half of every second, dark for the second half.
        const bool dark = m_header.displayEffect == 1 && std::fmod(t, 1.0) >= 0.5;
        if (!dark)
            detail::DrawView(view, target, top);
        return;
    }
    t -= m_displaySeconds;
    const double progress = m_closingSeconds > 0 ? std::min(1.0, t / m_closingSeconds) : 1.0;
    detail::DrawEffect(m_closingEffect, false, progress, view, target, top, m_seed + 1u);
}

Result<PageAnimation> AnimateLine(std::string_view line, const GraphicSource& graphics,
                                  const SignMemory& memory, SignGeometry geometry) {
    // The page exactly as a send builds it; the payload is what follows "<ID01>", up to the
    // checksum and "<E>".
    auto page = BuildPage(line, 0, 'A', "01", graphics);
    if (!page.ok())
        return page.error();
    const std::string_view stream = page->stream;
    constexpr std::size_t kIdLength = 6;      // "<ID01>"
    constexpr std::size_t kLinePage = 8;      // "<L1><PA>"
    constexpr std::size_t kTrailerLength = 5; // two checksum digits and "<E>"
    const std::string_view stored = stream.substr(
        kIdLength + kLinePage, stream.size() - kIdLength - kLinePage - kTrailerLength);

    SignMemory withGraphics = memory;
    const auto& used = page->compilation.usedGraphics;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (!used[i])
            continue;
        const int number = static_cast<int>(i) + 1;
        const auto graphic = graphics.load(GraphicName(number));
        if (graphic.ok())
            withGraphics.addGraphic(number, *graphic);
    }
    return PageAnimation(stored, withGraphics, geometry);
}

SignDisplay::SignDisplay(const std::vector<StoredLine>& lines, const SignMemory& memory,
                         SignGeometry geometry)
    : m_geometry{geometry.clampedColumns()} {
    for (const StoredLine& line : lines) {
        if (line.number == 1 || line.number == 2)
            m_lines.emplace_back(line.number, PageAnimation(line.stored, memory, m_geometry));
    }
    // Line 2 first, so that a line 1 tall enough for both lines covers it.
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
}

double SignDisplay::duration() const {
    double longest = 0;
    for (const auto& line : m_lines)
        longest = std::max(longest, line.second.duration());
    return longest;
}

DotImage SignDisplay::frameAt(double seconds) const {
    DotImage frame(m_geometry.columns, kSignRows);
    for (const auto& [number, animation] : m_lines)
        animation.drawFrame(seconds, frame, (number - 1) * kLineRows);
    return frame;
}

} // namespace lumivo
