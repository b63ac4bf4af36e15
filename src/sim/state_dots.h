#pragma once

#include "core/led_render.h"
#include "sim/sign_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace lumivo::sim {

inline constexpr int kDotRows = 8;

// What the renderer needs of the state: graphic blocks, user characters, clock, brightness.
SignMemory MemoryOfState(const SignState& state);

// The display of the running page (else the first stored page), both its lines; no lines when
// no page is stored.
SignDisplay DisplayOfState(const SignState& state, SignGeometry geometry);

// The static dots one page line lights, as rows of pixel letters ('@' off, 'A' red, 'D' green,
// 'E' yellow), kDotRows rows of equal length (twice as many for a line in the 7x13 font or with
// a tall graphic), drawn by the sign's renderer with the state's graphics, user characters and
// clock.
std::vector<std::string> RenderLine(const SignState& state, std::string_view text);

// Rows of dots as text, one line per row: '.' off, 'R' red, 'G' green, 'Y' yellow.
std::string DotsText(const std::vector<std::string>& rows);

// What the sign shows: the running page if it is stored, else the first stored page; each line
// titled and drawn in dots.
std::string ShowSign(const SignState& state);

} // namespace lumivo::sim
