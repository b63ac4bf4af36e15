#pragma once

#include "core/led_render.h"
#include "sim/sign_state.h"

#include <optional>
#include <string>

namespace lumivo::sim {

// Brightness in percent of a brightness letter "A".."D" (100, 75, 50, 25); 100 for any other.
int BrightnessPercent(char letter);

// The page the sign shows: the running page when it is stored, else the first stored page;
// nothing when no page is stored.
std::optional<char> ShownPage(const SignState& state);

// The lines of the shown page, ready to animate; empty when no page is stored.
std::vector<StoredLine> ShownLines(const SignState& state);

// The sign's whole display as text for a terminal: a title ("page A (running)", or "no pages
// stored"), then `geometry` columns x 16 rows of dots, each line of the shown page held as it
// stands once its leading effect is over (the start of the line, left-aligned).
std::string SignPictureText(const SignState& state, SignGeometry geometry);

} // namespace lumivo::sim
