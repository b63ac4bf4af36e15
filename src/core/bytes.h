#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumivo {

// Line text, payloads and frames are 8-bit byte strings; std::string holds any byte 0..255.
using Bytes = std::string;

// Two upper-case hexadecimal digits of a byte ("05", "FF").
std::string Hex2(std::uint8_t value);

// Value of a text of hexadecimal digits (either case); -1 when empty or not hexadecimal.
int ParseHex(std::string_view text);

// Value of a text of decimal digits; -1 when empty, too long or not all digits.
int ParseDecimal(std::string_view text);

// Upper-cases the ASCII letters a..z and leaves every other byte as it is.
std::string AsciiUpper(std::string_view text);

// Bytes from a file made fit to quote in a message: printable ASCII stays, every other byte and
// the backslash become "\xHH" (two upper-case digits), so a terminal or a box never receives a
// raw control or 8-bit byte and the quoted bytes can be told apart exactly.
std::string PrintableText(std::string_view bytes);

} // namespace lumivo
