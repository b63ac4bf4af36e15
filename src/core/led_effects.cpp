#include "core/led_effects.h"

#include "core/led_render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace lumivo::detail {

namespace {

// How a page runs where a sign of this kind gives no figures of its own:
// - one animation step takes 80, 55, 40 or 25 ms at speed 0, 1, 2 and 3 (3, the default, is
//   the fastest); scrolls move one column (or row) per step;
// - in steps: scroll left/right and block move take one per column, the open-from-the-centre
//   effect one per column pair, curtains and vertical scrolls three per row, vertical open and
//   close two per row, snow 48 and twinkle 40; immediate and hold take none;
// - the three built-in animations play for 3 seconds whatever the speed;
// - a line wider than the sign moves on column by column after its leading effect, at the same
//   step, until its end reaches the right edge, then keeps its display time;
// - lower-case effect codes run the same effects as the capital ones;
// - the closing effect takes the line out the way its name says (scrolls move it out, wipes
//   erase it, snow lets it fall, twinkle lets it fade dot by dot).
constexpr std::array<double, 4> kStepSeconds = {0.080, 0.055, 0.040, 0.025};
constexpr int kSnowSteps = 48;
constexpr int kTwinkleSteps = 40;
constexpr double kBuiltInSeconds = 3.0;
constexpr int kMoveBlockColumns = 8;

// The effects "random" picks from.
constexpr int kPlainEffectCount = static_cast<int>(Effect::Random);

std::uint32_t Mix(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

void Put(DotImage& target, int top, int rows, int x, int y, Dot dot) {
    if (y >= 0 && y < rows && dot != Dot::Off)
        target.set(x, top + y, dot);
}

// Every dot of the view drawn where `place` says (x, y -> x', y'); skipped when it returns false.
template <class Place> void DrawMapped(const View& view, DotImage& target, int top, Place place) {
    for (int y = 0; y < view.rows; ++y) {
        for (int x = 0; x < view.columns; ++x) {
            const Dot dot = view.at(x, y);
            if (dot == Dot::Off)
                continue;
            int tx = x;
            int ty = y;
            if (place(x, y, tx, ty) && tx >= 0 && tx < view.columns)
                Put(target, top, view.rows, tx, ty, dot);
        }
    }
}

// Target dot (x, y) shows view dot (x + dx, y + dy): a shifted copy.
void DrawShifted(const View& view, DotImage& target, int top, int dx, int dy) {
    for (int y = 0; y < view.rows; ++y) {
        for (int x = 0; x < view.columns; ++x)
            Put(target, top, view.rows, x, y, view.at(x + dx, y + dy));
    }
}

// Only the dots for which `shown(x, y)` holds.
template <class Shown> void DrawMasked(const View& view, DotImage& target, int top, Shown shown) {
    for (int y = 0; y < view.rows; ++y) {
        for (int x = 0; x < view.columns; ++x) {
            if (shown(x, y))
                Put(target, top, view.rows, x, y, view.at(x, y));
        }
    }
}

// Words of the built-in animations, drawn once in the sign's own 5x7 font.
const DotImage& Word(int which) {
    static const std::array<DotImage, 4> words = [] {
        const SignMemory none;
        return std::array<DotImage, 4>{
            RenderLineDots("<CA>Hello", none), RenderLineDots("<CD>World", none),
            RenderLineDots("<CS>Welcome", none), RenderLineDots("<CH>Hello World", none)};
    }();
    return words[static_cast<std::size_t>(which)];
}

// The word centred across the window, moved down by dy rows; recoloured by `recolour` when set.
void DrawWord(const DotImage& word, DotImage& target, int top, int columns, int rows, int dy,
              int colourShift = -1) {
    static constexpr Dot kCycle[3] = {Dot::Red, Dot::Yellow, Dot::Green};
    const int left = (columns - word.columns()) / 2;
    const int wordTop = (rows - kLineRows) / 2 + dy;
    for (int y = 0; y < word.rows(); ++y) {
        for (int x = 0; x < word.columns(); ++x) {
            Dot dot = word.at(x, y);
            if (dot != Dot::Off && colourShift >= 0)
                dot = kCycle[(x + colourShift) % 3];
            const int tx = left + x;
            if (tx >= 0 && tx < columns)
                Put(target, top, rows, tx, wordTop + y, dot);
        }
    }
}

// "Hello" drops in red, "World" rises in green, then both together in orange.
void DrawHelloWorld(double p, DotImage& target, int top, int columns, int rows) {
    if (p < 0.4) {
        const double fall = std::min(1.0, p / 0.1);
        DrawWord(Word(0), target, top, columns, rows, Round((fall - 1.0) * kLineRows));
    } else if (p < 0.8) {
        const double rise = std::min(1.0, (p - 0.4) / 0.1);
        DrawWord(Word(1), target, top, columns, rows, Round((1.0 - rise) * kLineRows));
    } else {
        DrawWord(Word(3), target, top, columns, rows, 0);
    }
}

// "Welcome" in rainbow colours wiped in from the left, then its colours run along it.
void DrawWelcome(double p, DotImage& target, int top, int columns, int rows) {
    if (p < 0.5) {
        DotImage part(columns, target.rows());
        DrawWord(Word(2), part, top, columns, rows, 0);
        const int shown = Round(p / 0.5 * columns);
        for (int y = top; y < top + rows; ++y) {
            for (int x = 0; x < shown; ++x) {
                if (part.at(x, y) != Dot::Off)
                    target.set(x, y, part.at(x, y));
            }
        }
    } else {
        DrawWord(Word(2), target, top, columns, rows, 0, Round((p - 0.5) * 24));
    }
}

// A diamond of rings in the middle of the sign that grows from its centre, then its rings
// change colour outward.
void DrawLogo(double p, DotImage& target, int top, int columns, int rows) {
    static constexpr Dot kCycle[3] = {Dot::Red, Dot::Yellow, Dot::Green};
    const int cx = columns / 2;
    const int cy = rows / 2;
    const int radius = rows / 2;
    const int grown = p < 0.5 ? Round(p / 0.5 * radius) : radius;
    const int shift = p < 0.5 ? 0 : Round((p - 0.5) * 18);
    for (int y = 0; y < rows; ++y) {
        for (int x = cx - 2 * radius; x <= cx + 2 * radius; ++x) {
            const int d = std::abs(x - cx) / 2 + std::abs(y - cy);
            if (d <= grown && d % 2 == 0 && x >= 0 && x < columns)
                Put(target, top, rows, x, y, kCycle[(d / 2 + 3 - shift % 3) % 3]);
        }
    }
}

} // namespace

double StepSeconds(int speed) {
    return speed >= 0 && speed <= 3 ? kStepSeconds[static_cast<std::size_t>(speed)]
                                    : kStepSeconds[3];
}

double EffectSeconds(Effect effect, int speed, int columns, int rows) {
    const double step = StepSeconds(speed);
    switch (effect) {
    case Effect::Immediate:
    case Effect::Hold:
    case Effect::Random: // replaced by its pick before it plays
        return 0;
    case Effect::Xopen:
        return step * ((columns + 1) / 2);
    case Effect::CurtainUp:
    case Effect::CurtainDown:
    case Effect::ScrollUp:
    case Effect::ScrollDown:
        return step * 3 * rows;
    case Effect::ScrollLeft:
    case Effect::ScrollRight:
    case Effect::BlockMove:
        return step * columns;
    case Effect::Vopen:
    case Effect::Vclose:
        return step * 2 * rows;
    case Effect::Snow:
        return step * kSnowSteps;
    case Effect::Twinkle:
        return step * kTwinkleSteps;
    case Effect::HelloWorld:
    case Effect::Welcome:
    case Effect::Logo:
        return kBuiltInSeconds;
    }
    return 0;
}

double TravelSeconds(int speed, int excessColumns) {
    return StepSeconds(speed) * std::max(0, excessColumns);
}

Effect PickRandomEffect(std::uint32_t seed) {
    return static_cast<Effect>(Mix(seed) % kPlainEffectCount);
}

double DotChance(int x, int y, std::uint32_t seed) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x) * 0x9E3779B1U ^
                                Mix(static_cast<std::uint32_t>(y) + seed * 0x85EBCA77U));
    return static_cast<double>(h >> 8) / static_cast<double>(1u << 24);
}

std::uint32_t HashBytes(std::string_view bytes) {
    std::uint32_t h = 2166136261U;
    for (char c : bytes) {
        h ^= static_cast<std::uint8_t>(c);
        h *= 16777619U;
    }
    return h;
}

void DrawView(const View& view, DotImage& target, int top) {
    DrawShifted(view, target, top, 0, 0);
}

namespace {

// One frame of an effect: how far through it is and where it draws.
struct EffectFrame {
    bool entering;
    double p;     // progress, 0..1
    double shown; // how much of the line is shown: 1 = all of it
    const View& view;
    DotImage& target;
    int top;
    std::uint32_t seed;
};

// The effects that light or darken each dot in its place.
void DrawMaskEffect(Effect effect, const EffectFrame& f) {
    const bool entering = f.entering;
    const double p = f.p;
    const double shown = f.shown;
    const int rows = f.view.rows;
    const double half = f.view.columns / 2.0;
    const double halfRows = rows / 2.0;
    switch (effect) {
    case Effect::Xopen:
        // Opens from the middle column outward; closes again toward it.
        DrawMasked(f.view, f.target, f.top,
                   [&](int x, int) { return std::abs(x + 0.5 - half) < shown * half; });
        return;
    case Effect::CurtainUp:
        // The edge sweeps from the bottom to the top: showing the line, then hiding it.
        DrawMasked(f.view, f.target, f.top, [&](int, int y) {
            return entering ? y >= Round((1.0 - p) * rows) : y < Round((1.0 - p) * rows);
        });
        return;
    case Effect::CurtainDown:
        DrawMasked(f.view, f.target, f.top, [&](int, int y) {
            return entering ? y < Round(p * rows) : y >= Round(p * rows);
        });
        return;
    case Effect::Vopen:
        // Opens from the middle row up and down; closes toward it.
        DrawMasked(f.view, f.target, f.top,
                   [&](int, int y) { return std::abs(y + 0.5 - halfRows) < shown * halfRows; });
        return;
    case Effect::Vclose:
        // Closes in from the top and bottom rows toward the middle; opens out again.
        DrawMasked(f.view, f.target, f.top, [&](int, int y) {
            return std::abs(y + 0.5 - halfRows) >= (1.0 - shown) * halfRows;
        });
        return;
    case Effect::Twinkle:
        // Dots light (or go dark) one by one in a scattered order.
        DrawMasked(f.view, f.target, f.top, [&](int x, int y) {
            const double chance = DotChance(x, y, f.seed);
            return entering ? chance < p : chance >= p;
        });
        return;
    default:
        return;
    }
}

// The effects that move the whole line in over one edge and out over the opposite one.
void DrawScrollEffect(Effect effect, const EffectFrame& f) {
    const double p = f.p;
    const int columns = f.view.columns;
    const int rows = f.view.rows;
    switch (effect) {
    case Effect::ScrollLeft:
        // Comes in from the right edge, goes out past the left one.
        DrawShifted(f.view, f.target, f.top,
                    f.entering ? -Round((1.0 - p) * columns) : Round(p * columns), 0);
        return;
    case Effect::ScrollRight:
        DrawShifted(f.view, f.target, f.top,
                    f.entering ? Round((1.0 - p) * columns) : -Round(p * columns), 0);
        return;
    case Effect::ScrollUp:
        // Rises from below, leaves over the top.
        DrawShifted(f.view, f.target, f.top, 0,
                    f.entering ? -Round((1.0 - p) * rows) : Round(p * rows));
        return;
    case Effect::ScrollDown:
        DrawShifted(f.view, f.target, f.top, 0,
                    f.entering ? Round((1.0 - p) * rows) : -Round(p * rows));
        return;
    default:
        return;
    }
}

// Each dot falls from above into its place at its own moment; leaving, it falls on down and out
// at the bottom.
void DrawSnow(const EffectFrame& f) {
    const int rows = f.view.rows;
    DrawMapped(f.view, f.target, f.top, [&](int x, int y, int&, int& ty) {
        const double start = DotChance(x, y, f.seed) * 0.6;
        const double fall = std::clamp((f.p - start) / 0.4, 0.0, 1.0);
        if (f.entering) {
            if (fall <= 0.0)
                return false;
            ty = y - Round((1.0 - fall) * (y + 1));
        } else {
            ty = y + Round(fall * (rows - y));
        }
        return true;
    });
}

// Blocks of columns slide in from the right one after another, leftmost first; leaving, they
// slide out to the left in the same order.
void DrawBlockMove(const EffectFrame& f) {
    const int columns = f.view.columns;
    const int blocks = std::max(1, (columns + kMoveBlockColumns - 1) / kMoveBlockColumns);
    DrawMapped(f.view, f.target, f.top, [&](int x, int, int& tx, int&) {
        const int block = x / kMoveBlockColumns;
        const double own = std::clamp(f.p * blocks - block, 0.0, 1.0);
        const int home = block * kMoveBlockColumns;
        if (f.entering) {
            if (own <= 0.0)
                return false;
            tx = x + Round((1.0 - own) * (columns - home));
        } else {
            tx = x - Round(own * (home + kMoveBlockColumns));
        }
        return true;
    });
}

// The built-in animation plays before the line appears (leading) or after it went (closing).
void DrawBuiltIn(Effect effect, const EffectFrame& f) {
    if (f.p >= 1.0) {
        if (f.entering)
            DrawView(f.view, f.target, f.top);
        return;
    }
    const int columns = f.view.columns;
    const int rows = f.view.rows;
    if (effect == Effect::HelloWorld)
        DrawHelloWorld(f.p, f.target, f.top, columns, rows);
    else if (effect == Effect::Welcome)
        DrawWelcome(f.p, f.target, f.top, columns, rows);
    else
        DrawLogo(f.p, f.target, f.top, columns, rows);
}

} // namespace

void DrawEffect(Effect effect, bool entering, double progress, const View& view, DotImage& target,
                int top, std::uint32_t seed) {
    const double p = std::clamp(progress, 0.0, 1.0);
    const EffectFrame frame{entering, p, entering ? p : 1.0 - p, view, target, top, seed};
    switch (effect) {
    case Effect::Immediate:
    case Effect::Hold:
    case Effect::Random:
        if (entering || p < 1.0)
            DrawView(view, target, top);
        return;
    case Effect::Xopen:
    case Effect::CurtainUp:
    case Effect::CurtainDown:
    case Effect::Vopen:
    case Effect::Vclose:
    case Effect::Twinkle:
        DrawMaskEffect(effect, frame);
        return;
    case Effect::ScrollLeft:
    case Effect::ScrollRight:
    case Effect::ScrollUp:
    case Effect::ScrollDown:
        DrawScrollEffect(effect, frame);
        return;
    case Effect::Snow:
        DrawSnow(frame);
        return;
    case Effect::BlockMove:
        DrawBlockMove(frame);
        return;
    case Effect::HelloWorld:
    case Effect::Welcome:
    case Effect::Logo:
        DrawBuiltIn(effect, frame);
        return;
    }
}

} // namespace lumivo::detail
