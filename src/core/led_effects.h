#pragma once

// The moving parts of a page run: how long each effect takes and how it draws a frame. Used by
// led_render.cpp only.

#include "core/led_dots.h"
#include "core/led_render.h"

#include <cstdint>

namespace lumivo::detail {

// Seconds of one animation step at a speed digit 0..3 (out of range counts as the default 3).
double StepSeconds(int speed);

// Seconds an effect takes to bring a line in or take it out of a window of `columns` x `rows`.
double EffectSeconds(Effect effect, int speed, int columns, int rows);

// Seconds of moving a line that is wider than the window on to its end, column by column.
double TravelSeconds(int speed, int excessColumns);

// The effect "random" plays: one of "immediate" .. "block move", fixed by the seed.
Effect PickRandomEffect(std::uint32_t seed);

// A window onto a line's dots: `columns` columns from column `offset`, all of the line's rows.
// Dots outside the window read as unlit.
struct View {
    const DotImage* content = nullptr;
    int offset = 0;
    int columns = 0;
    int rows = 0;

    Dot at(int x, int y) const {
        return x >= 0 && x < columns ? content->at(offset + x, y) : Dot::Off;
    }
};

// Draws the view into rows top..top + rows - 1 of `target` (whose width is the window's), as the
// effect shows it `progress` (0..1) of the way through. Entering, progress 1 shows the whole view;
// leaving, progress 0 does. The area must be blank before the call.
void DrawEffect(Effect effect, bool entering, double progress, const View& view, DotImage& target,
                int top, std::uint32_t seed);

// Copies the view unchanged.
void DrawView(const View& view, DotImage& target, int top);

// A fair 0..1 value for a dot, fixed by position and seed.
double DotChance(int x, int y, std::uint32_t seed);

// Hash of bytes (FNV-1a), for seeds.
std::uint32_t HashBytes(std::string_view bytes);

} // namespace lumivo::detail
