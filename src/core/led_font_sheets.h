#pragma once

#include "core/led_fonts.h"

#include <string_view>

namespace lumivo {

// The drawn sheet of a font's printable glyphs 0x20..0x7E: bands of glyphs side by side, each band
// a line naming its characters (each above its glyph's first column) and the glyphs' rows of "#"
// and ".", one blank column between glyphs; a blank line between bands.
std::string_view PrintableSheet(FontKind font);

} // namespace lumivo
