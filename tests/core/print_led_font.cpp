// Prints the sign's fonts as rows of "#" and "." for a person to look over:
//   print_led_font [5x7|6x7|4x7|7x13|5x8 ...]
// With no argument every font is printed, each with its European characters.
#include "core/led_fonts.h"

#include <array>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    using lumivo::FontKind;
    constexpr std::array<FontKind, 5> kFonts = {FontKind::Font5x7, FontKind::Font6x7,
                                                FontKind::Font4x7, FontKind::Font7x13,
                                                FontKind::Font5x8};
    int status = 0;
    for (FontKind font : kFonts) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i) {
            wanted = wanted || lumivo::FontName(font) == argv[i];
        }
        if (wanted) {
            std::cout << lumivo::FontSheetText(font, true);
        }
    }
    for (int i = 1; i < argc; ++i) {
        bool known = false;
        for (FontKind font : kFonts) {
            known = known || lumivo::FontName(font) == argv[i];
        }
        if (!known) {
            std::cerr << "print_led_font: no font named " << argv[i] << '\n';
            status = 1;
        }
    }
    return status;
}
