#pragma once

#include "core/compiler.h"
#include "core/graphic.h"
#include "core/led_dots.h"
#include "core/result.h"
#include "core/userfont.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo {

// The sign's dot matrix: two lines of 8 rows each, and a width in columns.
inline constexpr int kLineRows = 8;
inline constexpr int kSignRows = 16;
inline constexpr int kMinSignColumns = 16;
inline constexpr int kMaxSignColumns = 512;
inline constexpr int kDefaultSignColumns = 80;

struct SignGeometry {
    int columns = kDefaultSignColumns;

    // The width held to kMinSignColumns..kMaxSignColumns.
    int clampedColumns() const;
};

// The sign's clock as set: the year in full (2026), month 1..12, day 1..31, hour, minute,
// second, weekday 1 (Sunday) .. 7 (Saturday).
struct SignClock {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 1;

    bool operator==(const SignClock&) const = default;
};

// The clock from the 14 digits that follow "<SC>" (yy ww mm dd hh nn ss); nullopt when they are
// not 14 digits.
std::optional<SignClock> ClockFromDigits(std::string_view digits);

// A user character as the sign keeps it: size letter ("A" 5x7, "B" 6x7, "C" 4x7) and seven row
// bytes, bit 7 the leftmost column.
struct UserCharacter {
    char size = 'A';
    std::array<std::uint8_t, 7> rows{};

    bool operator==(const UserCharacter&) const = default;
};

// The user characters of font records as a sign keeps them once they were sent in this order,
// by code: a later record replaces an earlier one of the same code; records that are not sent
// (blank, unknown size) are left out.
std::map<int, UserCharacter> UserCharactersOf(const std::vector<UserCharRecord>& records);

// What a sign holds besides its pages.
struct SignMemory {
    // Graphic blocks by graphic letter ("A" for G01) and block number: 32 x 8 dots each. Blocks
    // 1..4 are the top half of a graphic; 5..8 the lower half of a tall one.
    std::map<std::pair<char, int>, DotImage> blocks;
    // User characters by code 0x40..0x7F. A code without one shows the factory European glyph.
    std::map<int, UserCharacter> userCharacters;
    // The clock as last set; the date and time fields show dashes without one.
    std::optional<SignClock> clock;
    // Brightness in percent (100, 75, 50, 25): for whoever paints the dots.
    int brightnessPercent = 100;

    // Cuts a graphic into the blocks the sign would receive for graphic `number` (1..16) and
    // stores them, replacing blocks of the same letter and number.
    void addGraphic(int number, const Graphic& graphic);
};

// Dots of 8 (or fewer) rows of pixel letters ("@" off, "A" red, "D" green, "E" yellow), as a
// graphic block is kept; other letters are unlit.
DotImage DotImageFromPixelRows(const std::vector<std::string>& rows);

// A memory holding every graphic G01..G16 the source can read (as a send would transfer them).
SignMemory MemoryFromGraphics(const GraphicSource& graphics);

// The effects of "<FA>".."<FS>" in code order (the letter O is skipped); the lower-case codes
// name the same effects.
enum class Effect {
    Immediate,
    Xopen,
    CurtainUp,
    CurtainDown,
    ScrollLeft,
    ScrollRight,
    Vopen,
    Vclose,
    ScrollUp,
    ScrollDown,
    Hold,
    Snow,
    Twinkle,
    BlockMove,
    Random,
    HelloWorld,
    Welcome,
    Logo,
};

// The effect of the letter of an "<F?>" code; nullopt for a letter that names none.
std::optional<Effect> EffectOfLetter(char letter);

// The page codes of one stored line: leading effect, display effect (speed folded in), display
// time, closing effect. Missing or malformed codes take the page defaults.
struct PageHeader {
    Effect leading = Effect::ScrollLeft;
    Effect closing = Effect::ScrollLeft;
    int displayEffect = 0; // 0 normal, 1 blinking, 2..4 the songs (no dots of their own)
    int speed = 3;         // 0..3, the speed tag's digit
    double displaySeconds = 2.0;
};

// Splits a stored line ("<FE><MA><WC><FE>text") into its header and its text. A line that does
// not start with the four codes is all text under the default header.
std::pair<PageHeader, std::string_view> SplitStoredLine(std::string_view stored);

// The static dots of a line's text (the compiled line, sign codes included): any number of
// columns, 8 rows, or 16 when the line uses the 7x13 font or a tall graphic.
DotImage RenderLineDots(std::string_view text, const SignMemory& memory);

// One page line, animated as the sign runs it: the leading effect, the display time (blinking
// when the display effect says so), then the closing effect, at the page's speed; then again.
class PageAnimation {
public:
    // `stored` is what follows "<L?><P?>" in a page payload: the four header codes, then the line.
    PageAnimation(std::string_view stored, const SignMemory& memory, SignGeometry geometry);

    const PageHeader& header() const { return m_header; }
    // The effects played: as in the header, with "random" replaced by the one it picked.
    Effect leadingEffect() const { return m_leadingEffect; }
    Effect closingEffect() const { return m_closingEffect; }
    SignGeometry geometry() const { return m_geometry; }

    // The static dots of the whole line, precomputed once.
    const DotImage& content() const { return m_content; }

    // Seconds of one run: leading effect, display time, closing effect.
    double duration() const { return m_duration; }

    // Seconds of the leading and of the closing effect.
    double leadingSeconds() const { return m_leadingSeconds; }
    double closingSeconds() const { return m_closingSeconds; }

    // When in the run the line first stands still in full (its end, for a line wider than the
    // sign): the start of the display time.
    double shownAt() const { return m_leadingSeconds + m_travelSeconds; }

    // The sign at `seconds` into the run (wrapping at the end of a run): geometry columns x 16
    // rows, this line in the top 8 rows (all 16 when the line is that tall).
    DotImage frameAt(double seconds) const;

    // The same, drawn into `target` from row `top` on; only the visible window of the line is
    // read. Used to draw line 2 of a page below line 1.
    void drawFrame(double seconds, DotImage& target, int top) const;

private:
    PageHeader m_header;
    SignGeometry m_geometry;
    DotImage m_content;
    Effect m_leadingEffect = Effect::ScrollLeft;
    Effect m_closingEffect = Effect::ScrollLeft;
    double m_leadingSeconds = 0;
    double m_travelSeconds = 0;
    double m_displaySeconds = 0;
    double m_closingSeconds = 0;
    double m_duration = 0;
    std::uint32_t m_seed = 0;
};

// Compiles one editor line (8-bit text with tags) as a send would, adds to `memory` the blocks
// of the graphics the send would transfer, and animates the page. Fails, naming the graphic,
// exactly when the compiler fails.
Result<PageAnimation> AnimateLine(std::string_view line, const GraphicSource& graphics,
                                  const SignMemory& memory, SignGeometry geometry);

// One line of a stored page, by its number (1 or 2), as stored (header codes + line).
struct StoredLine {
    int number = 1;
    std::string stored;
};

// The whole display of a sign running a page: line 1 in rows 0..7, line 2 in rows 8..15, each
// line running its own cycle. Build once per page change, then ask for frames.
class SignDisplay {
public:
    SignDisplay(const std::vector<StoredLine>& lines, const SignMemory& memory,
                SignGeometry geometry);

    SignGeometry geometry() const { return m_geometry; }
    const std::vector<std::pair<int, PageAnimation>>& lines() const { return m_lines; }

    // The longest run of its lines (seconds); 0 without lines.
    double duration() const;

    // geometry columns x 16 dots at `seconds`.
    DotImage frameAt(double seconds) const;

private:
    SignGeometry m_geometry;
    std::vector<std::pair<int, PageAnimation>> m_lines;
};

} // namespace lumivo
