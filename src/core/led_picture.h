#pragma once

#include "core/led_dots.h"

#include <cstdint>
#include <vector>

namespace lumivo {

// How dots look in a picture: each dot a round lamp in a square cell of `dotPitch` pixels on a
// black board, unlit lamps dark, lit ones in the sign's colours dimmed by the brightness.
struct LedLook {
    int dotPitch = 6;
    int brightnessPercent = 100;
};

inline constexpr int kMinDotPitch = 2;
inline constexpr int kMaxDotPitch = 64;

// 0xAARRGGBB of the board between lamps, of an unlit lamp, and of each lit colour at full
// brightness.
inline constexpr std::uint32_t kBoardColour = 0xFF000000u;
inline constexpr std::uint32_t kUnlitColour = 0xFF2E1E1Au;
inline constexpr std::uint32_t kRedColour = 0xFFFF2A1Cu;
inline constexpr std::uint32_t kGreenColour = 0xFF2EE04Au;
inline constexpr std::uint32_t kYellowColour = 0xFFFFB020u;

// The colour of a lamp showing `dot`: lit colours scaled toward the unlit one by brightness
// (25..100 %).
std::uint32_t LampColour(Dot dot, int brightnessPercent);

struct ArgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // row-major, top row first
};

// The dots as a picture of columns x pitch by rows x pitch pixels (pitch held to
// kMinDotPitch..kMaxDotPitch).
ArgbPicture DrawLedPicture(const DotImage& dots, const LedLook& look = {});

} // namespace lumivo
