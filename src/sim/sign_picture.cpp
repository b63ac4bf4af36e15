#include "sim/sign_picture.h"

#include "core/led_dots.h"
#include "sim/state_dots.h"

namespace lumivo::sim {

int BrightnessPercent(char letter) {
    switch (letter) {
    case 'B':
        return 75;
    case 'C':
        return 50;
    case 'D':
        return 25;
    default:
        return 100;
    }
}

std::optional<char> ShownPage(const SignState& state) {
    if (state.runningPage && state.pages.contains(*state.runningPage)) {
        return state.runningPage;
    }
    if (state.pages.empty()) {
        return std::nullopt;
    }
    return state.pages.begin()->first;
}

std::vector<StoredLine> ShownLines(const SignState& state) {
    std::vector<StoredLine> lines;
    const std::optional<char> shown = ShownPage(state);
    if (!shown) {
        return lines;
    }
    for (const auto& [number, line] : state.pages.at(*shown).lines) {
        lines.push_back({number, line.header + line.text});
    }
    return lines;
}

std::string SignPictureText(const SignState& state, SignGeometry geometry) {
    const std::optional<char> shown = ShownPage(state);
    if (!shown) {
        return "no pages stored\n";
    }
    const int columns = geometry.clampedColumns();
    const SignMemory memory = MemoryOfState(state);
    DotImage picture(columns, kSignRows);
    for (const auto& [number, line] : state.pages.at(*shown).lines) {
        const DotImage dots = RenderLineDots(line.text, memory);
        const int top = dots.rows() > kLineRows ? 0 : (number - 1) * kLineRows;
        for (int y = 0; y < dots.rows(); ++y) {
            for (int x = 0; x < columns; ++x) {
                picture.set(x, top + y, dots.at(x, y));
            }
        }
    }
    std::string out = "page ";
    out += *shown;
    out += state.runningPage == shown ? " (running)\n" : "\n";
    return out + DotImageText(picture);
}

} // namespace lumivo::sim
