#pragma once

#include "sim/sign_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace lumivo::sim {

inline constexpr int kDotRows = 8;

// The dots one page line lights, as rows of pixel letters ('@' off, 'A' red, 'D' green,
// 'E' yellow), kDotRows rows of equal length. Text is drawn in a 5x7 font with a blank column
// after each character; the sign's codes act on what follows: colours (<CA>, <CD>, <CH>, the
// inverse and mixed ones), columns (<Nhh>), graphic blocks (<Gxn>) from the state, user
// characters (<Uhh>) from the state, date and time (<KD>, <KT>) from the clock as set. Other
// codes (fonts, bells) take no room.
std::vector<std::string> RenderLine(const SignState& state, std::string_view text);

// Rows of dots as text, one line per row: '.' off, 'R' red, 'G' green, 'Y' yellow.
std::string DotsText(const std::vector<std::string>& rows);

// What the sign shows: the running page if it is stored, else the first stored page; each line
// titled and drawn in dots.
std::string ShowSign(const SignState& state);

} // namespace lumivo::sim
