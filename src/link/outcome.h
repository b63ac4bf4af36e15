#pragma once

#include <string>

namespace lumivo::link {

// The kind of message box that reports a command's end.
enum class BoxKind {
    None,        // nothing is shown (a successful Send Message)
    Information, // information box with a single "Yes" button (success, "is Over")
    Error,       // error box with a single "Yes" button (" Open Com Error ", font and file errors)
    Plain,       // plain message box with "OK" (a reply failure)
};

// What the user sees when a command ends: the box and its exact text, blanks included.
struct Outcome {
    BoxKind box = BoxKind::None;
    std::string text;
    bool success = false; // true for a success or an "is Over" end

    bool operator==(const Outcome&) const = default;
};

} // namespace lumivo::link
