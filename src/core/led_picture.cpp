#include "core/led_picture.h"

#include <algorithm>

namespace lumivo {

namespace {

std::uint32_t Blend(std::uint32_t from, std::uint32_t to, int percent) {
    std::uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const int a = static_cast<int>((from >> shift) & 0xFFu);
        const int b = static_cast<int>((to >> shift) & 0xFFu);
        const int c = a + (b - a) * percent / 100;
        out |= static_cast<std::uint32_t>(c) << shift;
    }
    return out;
}

} // namespace

std::uint32_t LampColour(Dot dot, int brightnessPercent) {
    std::uint32_t full = kUnlitColour;
    switch (dot) {
    case Dot::Off:
        return kUnlitColour;
    case Dot::Red:
        full = kRedColour;
        break;
    case Dot::Green:
        full = kGreenColour;
        break;
    case Dot::Yellow:
        full = kYellowColour;
        break;
    }
    return Blend(kUnlitColour, full, std::clamp(brightnessPercent, 25, 100));
}

ArgbPicture DrawLedPicture(const DotImage& dots, const LedLook& look) {
    const int pitch = std::clamp(look.dotPitch, kMinDotPitch, kMaxDotPitch);
    ArgbPicture picture;
    picture.width = dots.columns() * pitch;
    picture.height = dots.rows() * pitch;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) *
                              static_cast<std::size_t>(picture.height),
                          kBoardColour);

    // Which pixels of a cell the round lamp covers: those whose centre lies within a disc of
    // diameter pitch - 1 in the cell's top-left corner, so one pixel row and column of board
    // stay between lamps. Measured in half pixels, so that pixel centres (2 px + 1) and the disc
    // centre (pitch - 1) are whole numbers.
    std::vector<bool> lamp(static_cast<std::size_t>(pitch * pitch));
    const int radius = pitch - 1;
    for (int py = 0; py < pitch; ++py) {
        for (int px = 0; px < pitch; ++px) {
            const int dx = 2 * px + 2 - pitch;
            const int dy = 2 * py + 2 - pitch;
            lamp[static_cast<std::size_t>(py * pitch + px)] = dx * dx + dy * dy <= radius * radius;
        }
    }

    for (int y = 0; y < dots.rows(); ++y) {
        for (int x = 0; x < dots.columns(); ++x) {
            const std::uint32_t colour = LampColour(dots.at(x, y), look.brightnessPercent);
            for (int py = 0; py < pitch; ++py) {
                const std::size_t row = static_cast<std::size_t>(y * pitch + py) *
                                        static_cast<std::size_t>(picture.width);
                for (int px = 0; px < pitch; ++px) {
                    if (lamp[static_cast<std::size_t>(py * pitch + px)])
                        picture.pixels[row + static_cast<std::size_t>(x * pitch + px)] = colour;
                }
            }
        }
    }
    return picture;
}

} // namespace lumivo
