#pragma once

#include "core/rtf.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumivo {

// The largest message document read. A line is 210 characters, so anything near this is not a
// line; the bound keeps opening quick: the editor lays a paragraph out whole, at a cost that
// grows with every change of colour or weight, and a document of this size in the worst mix
// opens in well under a second.
inline constexpr std::size_t kMaxDocumentBytes = 256 * 1024;

// The longest line a message document holds, in characters as the editor counts them (a line
// break is two). The editor takes no more, however the text arrives, and a document holding more
// is not opened: so whatever the editor holds it can save and open again. The bound is set by the
// worst case of the writer: every character in a colour of its own and the other weight, and
// every byte escaped, costs at most 41 bytes of RTF (colour table entry, \cfN, \b0 and \'hh),
// and 6000 such characters with the header stay below kMaxDocumentBytes.
inline constexpr std::size_t kMaxLineCharacters = 6000;

// Why a document could not be read. The editor shows a different box for each.
enum class DocumentFailure {
    None,
    CannotOpen, // missing, not permitted, or not a regular file (a folder, a FIFO, a device)
    CannotLoad, // opened, but not a document: larger than kMaxDocumentBytes, holding NUL bytes
                // (a picture, a program), a line over kMaxLineCharacters, or a read failed
};

struct DocumentRead {
    DocumentFailure failure = DocumentFailure::None;
    RtfDocument document; // the line, when failure is None
    std::string message;  // otherwise: names the file and the reason

    bool ok() const { return failure == DocumentFailure::None; }
};

// The characters a line takes in the editor: each character one, except that a CR or an LF that
// is not part of a CR LF pair becomes a line break there, and a line break counts two.
std::size_t LineCharacters(const RtfDocument& document);

// Reads a message document (.lmv) the way the editor opens one: RTF first; a file that is not RTF,
// or damaged RTF, is read whole as plain text, each byte one character in `plainColour` and
// `plainBold` (the editor's insertion attributes). Only a regular file is read: the file is opened
// without blocking and checked before any read, so a FIFO or a device never stalls the caller.
// A file holding a NUL byte is not text (no document writer puts one in), and a line longer than
// kMaxLineCharacters could not be saved again: both are refused as CannotLoad. On failure nothing
// is returned, so a bad file never half-replaces a line.
DocumentRead ReadMessageDocument(const std::filesystem::path& path, RtfColour plainColour = {},
                                 bool plainBold = false, std::size_t maxBytes = kMaxDocumentBytes);

// Reads a message document held in memory (a document that came over the network) with the same
// checks and the same fallback to plain text as a file. `name` is what the messages call it.
DocumentRead ReadMessageDocumentBytes(std::string_view bytes, const std::string& name,
                                      RtfColour plainColour = {}, bool plainBold = false,
                                      std::size_t maxBytes = kMaxDocumentBytes);

} // namespace lumivo
