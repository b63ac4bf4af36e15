#pragma once

#include "core/led_dots.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lumivo {

// The sign's built-in fonts. All but the 7 x 13 font fit one sign line; the 7 x 13 font spans both.
enum class FontKind { Font5x7, Font6x7, Font4x7, Font7x13, Font5x8 };

// Rows of dots of every glyph of the font: 7, 7, 7, 13, 8.
int FontHeight(FontKind font);

// Columns of dots of the font's glyphs (without the blank column between characters): 5, 6, 4,
// 7, 5.
int FontWidth(FontKind font);

// Dots of a printable byte 0x20..0x7E, FontHeight rows by FontWidth columns, lit dots Dot::Red;
// nullopt for any other byte.
std::optional<DotImage> FontGlyph(FontKind font, std::uint8_t code);

// Dots of European character 0x00..0x7F in that font, FontHeight rows high (symbols drawn wider
// than the font keep their own width); nullopt for other codes.
std::optional<DotImage> EuropeanGlyph(FontKind font, std::uint8_t code);

// A font's name as it appears in messages and tools: "5x7", "6x7", "4x7", "7x13", "5x8".
std::string FontName(FontKind font);

// Every glyph of the font as text for a person to look at: printable bytes, then (when
// `european`) the European characters, each headed by its code.
std::string FontSheetText(FontKind font, bool european);

} // namespace lumivo
