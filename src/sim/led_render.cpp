#include "sim/led_render.h"

#include "core/bytes.h"
#include "core/graphic.h"
#include "core/userfont.h"
#include "sim/pattern.h"

#include <array>
#include <cstdint>

namespace lumivo::sim {

namespace {

// 5x7 font for the printable ASCII bytes 0x20..0x7E: five columns per character, the lowest
// bit the top row.
constexpr std::uint8_t kFont[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, // space !
    {0x00, 0x07, 0x00, 0x07, 0x00}, {0x14, 0x7F, 0x14, 0x7F, 0x14}, // " #
    {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62}, // $ %
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, // & '
    {0x00, 0x1C, 0x22, 0x41, 0x00}, {0x00, 0x41, 0x22, 0x1C, 0x00}, // ( )
    {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08}, // * +
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, // , -
    {0x00, 0x60, 0x60, 0x00, 0x00}, {0x20, 0x10, 0x08, 0x04, 0x02}, // . /
    {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00}, // 0 1
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, // 2 3
    {0x18, 0x14, 0x12, 0x7F, 0x10}, {0x27, 0x45, 0x45, 0x45, 0x39}, // 4 5
    {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03}, // 6 7
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, // 8 9
    {0x00, 0x36, 0x36, 0x00, 0x00}, {0x00, 0x56, 0x36, 0x00, 0x00}, // : ;
    {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14}, // < =
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, // > ?
    {0x32, 0x49, 0x79, 0x41, 0x3E}, {0x7E, 0x11, 0x11, 0x11, 0x7E}, // @ A
    {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22}, // B C
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, // D E
    {0x7F, 0x09, 0x09, 0x01, 0x01}, {0x3E, 0x41, 0x41, 0x51, 0x32}, // F G
    {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00}, // H I
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, // J K
    {0x7F, 0x40, 0x40, 0x40, 0x40}, {0x7F, 0x02, 0x04, 0x02, 0x7F}, // L M
    {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E}, // N O
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, // P Q
    {0x7F, 0x09, 0x19, 0x29, 0x46}, {0x46, 0x49, 0x49, 0x49, 0x31}, // R S
    {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F}, // T U
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x7F, 0x20, 0x18, 0x20, 0x7F}, // V W
    {0x63, 0x14, 0x08, 0x14, 0x63}, {0x03, 0x04, 0x78, 0x04, 0x03}, // X Y
    {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00}, // Z [
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, // backslash ]
    {0x04, 0x02, 0x01, 0x02, 0x04}, {0x40, 0x40, 0x40, 0x40, 0x40}, // ^ _
    {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78}, // ` a
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, // b c
    {0x38, 0x44, 0x44, 0x48, 0x7F}, {0x38, 0x54, 0x54, 0x54, 0x18}, // d e
    {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x08, 0x54, 0x54, 0x54, 0x3C}, // f g
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, // h i
    {0x20, 0x40, 0x44, 0x3D, 0x00}, {0x00, 0x7F, 0x10, 0x28, 0x44}, // j k
    {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78}, // l m
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, // n o
    {0x7C, 0x14, 0x14, 0x14, 0x08}, {0x08, 0x14, 0x14, 0x18, 0x7C}, // p q
    {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20}, // r s
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, // t u
    {0x1C, 0x20, 0x40, 0x20, 0x1C}, {0x3C, 0x40, 0x30, 0x40, 0x3C}, // v w
    {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C}, // x y
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, // z {
    {0x00, 0x00, 0x7F, 0x00, 0x00}, {0x00, 0x41, 0x36, 0x08, 0x00}, // | }
    {0x08, 0x04, 0x08, 0x10, 0x08},                                 // ~
};

// A hollow box for characters the sign would draw from a table we do not have.
constexpr std::uint8_t kBox[5] = {0x7F, 0x41, 0x41, 0x41, 0x7F};

using Column = std::array<char, kDotRows>;

class LineDrawer {
public:
    explicit LineDrawer(const SignState& state) : m_state(state) {}

    void draw(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t used = text[i] == '<' ? code(text.substr(i)) : 0;
            if (used > 0) {
                i += used;
            } else {
                character(static_cast<unsigned char>(text[i]));
                ++i;
            }
        }
    }

    std::vector<std::string> rows() const {
        std::vector<std::string> rows(kDotRows);
        for (const Column& column : m_columns) {
            for (int r = 0; r < kDotRows; ++r) {
                rows[static_cast<std::size_t>(r)] += column[static_cast<std::size_t>(r)];
            }
        }
        return rows;
    }

private:
    // Acts on a sign code at the start of `text`; returns its length, or 0 when the "<" is
    // plain text.
    std::size_t code(std::string_view text) {
        for (std::string_view pattern : {std::string_view("<G@9>"), std::string_view("<G@99>")}) {
            if (StartsWithPattern(text, pattern)) {
                block(text[2], ParseDecimal(text.substr(3, pattern.size() - 4)));
                return pattern.size();
            }
        }
        if (StartsWithPattern(text, "<N##>")) {
            const auto column = static_cast<std::size_t>(ParseHex(text.substr(2, 2)));
            while (m_columns.size() < column) {
                m_columns.push_back(blank());
            }
            return 5;
        }
        if (StartsWithPattern(text, "<U##>")) {
            userCharacter(ParseHex(text.substr(2, 2)));
            return 5;
        }
        if (StartsWithPattern(text, "<C@>")) {
            colour(text[2]);
            return 4;
        }
        if (StartsWithPattern(text, "<KD>") || StartsWithPattern(text, "<KT>")) {
            const std::string& c = m_state.clock ? *m_state.clock : std::string();
            const bool set = c.size() == 14;
            const std::string shown =
                text[2] == 'D' ? (set ? c.substr(4, 2) + "/" + c.substr(6, 2) + "/" + c.substr(0, 2)
                                      : "--/--/--")
                               : (set ? c.substr(8, 2) + ":" + c.substr(10, 2) : "--:--");
            for (char ch : shown) {
                character(static_cast<unsigned char>(ch));
            }
            return 4;
        }
        if (StartsWithPattern(text, "<@@>")) {
            return 4; // font, bell and the like: no dots of their own
        }
        return 0;
    }

    void colour(char letter) {
        m_rainbow = false;
        m_background = kPixelOff;
        switch (letter) {
        case 'A':
            m_foreground = kPixelRed;
            break;
        case 'D':
            m_foreground = kPixelGreen;
            break;
        case 'H':
            m_foreground = kPixelYellow;
            break;
        case 'L':
            inverse(kPixelRed);
            break;
        case 'M':
            inverse(kPixelGreen);
            break;
        case 'N':
            inverse(kPixelYellow);
            break;
        case 'P':
            m_foreground = kPixelRed;
            m_background = kPixelGreen;
            break;
        case 'Q':
            m_foreground = kPixelGreen;
            m_background = kPixelRed;
            break;
        case 'R':
        case 'S':
            m_rainbow = true;
            break;
        default:
            break;
        }
    }

    void inverse(char lit) {
        m_foreground = kPixelOff;
        m_background = lit;
    }

    char nextForeground() {
        if (!m_rainbow) {
            return m_foreground;
        }
        static constexpr char kCycle[3] = {kPixelRed, kPixelYellow, kPixelGreen};
        return kCycle[m_rainbowStep++ % 3];
    }

    Column blank() const {
        Column column;
        column.fill(m_background);
        return column;
    }

    // A glyph given column by column, lowest bit the top row.
    void glyph(const std::uint8_t* columns, std::size_t width) {
        const char lit = nextForeground();
        for (std::size_t x = 0; x < width; ++x) {
            Column column = blank();
            for (int r = 0; r < kDotRows - 1; ++r) {
                if (columns[x] & (1u << r)) {
                    column[static_cast<std::size_t>(r)] = lit;
                }
            }
            m_columns.push_back(column);
        }
        m_columns.push_back(blank());
    }

    void character(unsigned char byte) {
        if (byte >= 0x20 && byte <= 0x7E) {
            glyph(kFont[byte - 0x20], 5);
        } else {
            glyph(kBox, 5);
        }
    }

    // User characters are stored row by row, the leftmost column in bit 7.
    void userCharacter(int code) {
        const auto found = m_state.userChars.find(code - kFirstUserCharCode);
        const auto size = found != m_state.userChars.end()
                              ? UserCharSizeOfLetter(found->second.size)
                              : std::nullopt;
        if (!size) {
            glyph(kBox, 5);
            return;
        }
        std::array<std::uint8_t, 8> columns{};
        for (int x = 0; x < size->width; ++x) {
            for (int r = 0; r < kUserCharRows; ++r) {
                if (found->second.rows[static_cast<std::size_t>(r)] & (0x80u >> x)) {
                    columns[static_cast<std::size_t>(x)] |= static_cast<std::uint8_t>(1u << r);
                }
            }
        }
        glyph(columns.data(), static_cast<std::size_t>(size->width));
    }

    // A block the sign has not received shows as dark columns.
    void block(char letter, int number) {
        const auto found = m_state.graphics.find({letter, number});
        for (int x = 0; x < kBlockWidth; ++x) {
            Column column;
            column.fill(kPixelOff);
            if (found != m_state.graphics.end()) {
                for (int r = 0; r < kDotRows; ++r) {
                    column[static_cast<std::size_t>(r)] =
                        found->second
                            .rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(x)];
                }
            }
            m_columns.push_back(column);
        }
    }

    const SignState& m_state;
    std::vector<Column> m_columns;
    char m_foreground = kPixelRed;
    char m_background = kPixelOff;
    bool m_rainbow = false;
    unsigned m_rainbowStep = 0;
};

} // namespace

std::vector<std::string> RenderLine(const SignState& state, std::string_view text) {
    LineDrawer drawer(state);
    drawer.draw(text);
    return drawer.rows();
}

std::string DotsText(const std::vector<std::string>& rows) {
    std::string out;
    for (const std::string& row : rows) {
        for (char dot : row) {
            switch (dot) {
            case kPixelOff:
                out += '.';
                break;
            case kPixelRed:
                out += 'R';
                break;
            case kPixelGreen:
                out += 'G';
                break;
            case kPixelYellow:
                out += 'Y';
                break;
            default:
                out += '?';
                break;
            }
        }
        out += '\n';
    }
    return out;
}

std::string ShowSign(const SignState& state) {
    if (state.pages.empty()) {
        return "no pages stored\n";
    }
    auto page = state.pages.begin();
    bool running = false;
    if (state.runningPage) {
        const auto found = state.pages.find(*state.runningPage);
        if (found != state.pages.end()) {
            page = found;
            running = true;
        }
    }
    std::string out = "page ";
    out += page->first;
    out += running ? " (running)\n" : "\n";
    for (const auto& [number, line] : page->second.lines) {
        out += "line " + std::to_string(number) + "\n";
        out += DotsText(RenderLine(state, line.text));
    }
    return out;
}

} // namespace lumivo::sim
