#pragma once

#include "core/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// A message document (.lmv) is one sign line stored as Rich Text Format. The model keeps only
// what the line needs: for every 8-bit character its byte, its colour and whether it is bold.
// Fonts, sizes and paragraph formatting are read past and not kept.

struct RtfColour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RtfColour&) const = default;
};

struct StyledChar {
    char byte = 0;
    RtfColour colour; // automatic colour reads as black
    bool bold = false;
    bool operator==(const StyledChar&) const = default;
};

// A line break is the two characters CR LF, the way the editor returns its text; in the file it
// is one paragraph end (\par). A \line break reads as CR LF too.
struct RtfDocument {
    std::vector<StyledChar> chars;

    // The line bytes without their styles.
    std::string text() const;
    // Every byte of `text` as one character of the same colour and weight.
    static RtfDocument fromText(std::string_view text, RtfColour colour = {}, bool bold = false);

    bool operator==(const RtfDocument&) const = default;
};

// True when the bytes start with "{\rtf" and are read as RTF; anything else is plain text. The
// editor uses this to give plain text its current insertion colour instead of black.
bool LooksLikeRtf(std::string_view bytes);

// Reads a message document. Plain text (see LooksLikeRtf) gives each byte as one black, not
// bold character and never fails.
//
// RTF is read leniently, as documents from older editors are: unknown control words are
// ignored; font, style, information, picture and other destinations that hold no line text are
// skipped, as are {\*...} groups and \binN data; \'hh gives the byte hh whatever the code page;
// \uN gives the byte N when it is 0..255 and otherwise its fallback characters. The paragraph end
// that always closes a document is not part of the line. Bytes after the outermost group closes
// are ignored.
//
// An error is returned only when the document cannot be read in full: it ends before its
// outermost group closes (truncated or unbalanced braces, or \binN data running past the end),
// or its groups nest deeper than any document does (kMaxRtfGroupDepth). Then nothing is
// returned, so a damaged file never half-replaces the line being edited.
//
// Time and memory are linear in the input size; recursion is not used.
Result<RtfDocument> ReadRtf(std::string_view bytes);

inline constexpr int kMaxRtfGroupDepth = 1000;

// Writes the document as RTF that ReadRtf reads back exactly and other RTF readers open: code
// page 1252 header, a monospaced font, a colour table of the colours used, \cfN and \b / \b0
// only where they change, { } \ escaped, tab as \tab, CR LF pairs as \par, other bytes below
// 0x20 and bytes 0x7F..0xFF as \'hh, and a closing \par.
std::string WriteRtf(const RtfDocument& document);

} // namespace lumivo
