#include "sim/state_dots.h"

#include "core/graphic.h"
#include "core/userfont.h"
#include "sim/sign_picture.h"

#include <algorithm>

namespace lumivo::sim {

SignMemory MemoryOfState(const SignState& state) {
    SignMemory memory;
    for (const auto& [key, block] : state.graphics)
        memory.blocks[key] = DotImageFromPixelRows(block.rows);
    for (const auto& [number, ch] : state.userChars) {
        UserCharacter character;
        character.size = ch.size;
        std::copy_n(ch.rows.begin(), character.rows.size(), character.rows.begin());
        memory.userCharacters[kFirstUserCharCode + number] = character;
    }
    if (state.clock)
        memory.clock = ClockFromDigits(*state.clock);
    if (state.brightness)
        memory.brightnessPercent = BrightnessPercent(*state.brightness);
    return memory;
}

SignDisplay DisplayOfState(const SignState& state, SignGeometry geometry) {
    return SignDisplay(ShownLines(state), MemoryOfState(state), geometry);
}

std::vector<std::string> RenderLine(const SignState& state, std::string_view text) {
    const DotImage dots = RenderLineDots(text, MemoryOfState(state));
    std::vector<std::string> rows;
    for (int y = 0; y < dots.rows(); ++y) {
        std::string row;
        row.reserve(static_cast<std::size_t>(dots.columns()));
        for (int x = 0; x < dots.columns(); ++x) {
            switch (dots.at(x, y)) {
            case Dot::Off:
                row += kPixelOff;
                break;
            case Dot::Red:
                row += kPixelRed;
                break;
            case Dot::Green:
                row += kPixelGreen;
                break;
            case Dot::Yellow:
                row += kPixelYellow;
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
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
    const std::optional<char> shown = ShownPage(state);
    if (!shown) {
        return "no pages stored\n";
    }
    std::string out = "page ";
    out += *shown;
    out += state.runningPage == shown ? " (running)\n" : "\n";
    for (const auto& [number, line] : state.pages.at(*shown).lines) {
        out += "line " + std::to_string(number) + "\n";
        out += DotsText(RenderLine(state, line.text));
    }
    return out;
}

} // namespace lumivo::sim
