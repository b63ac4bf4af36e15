#pragma once

#include <string_view>

namespace lumivo {

// The longest line the sign takes, in characters of the line as the editor holds it: tags count
// as the characters they are written with, a line break as two (CR LF).
inline constexpr int kMaxLineLength = 210;

// What the editor shows when a line is longer than the sign takes.
inline constexpr std::string_view kMaxLengthMessage = "Max length is 210 chars";

// The characters of an 8-bit line as the length rule counts them.
inline int LineLength(std::string_view line) {
    return static_cast<int>(line.size());
}

inline bool LineFits(std::string_view line) {
    return LineLength(line) <= kMaxLineLength;
}

} // namespace lumivo
