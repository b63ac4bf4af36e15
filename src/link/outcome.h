#pragma once

#include <string>
#include <utility>

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
    Outcome() = default;
    Outcome(BoxKind kind, std::string boxText, bool succeeded, std::string moreDetails = {})
        : box(kind), text(std::move(boxText)), success(succeeded), details(std::move(moreDetails)) {
    }

    BoxKind box = BoxKind::None;
    std::string text;
    bool success = false; // true for a success or an "is Over" end
    // What explains the end beyond the box's fixed text: for " Open Com Error " the device and
    // the system's reason; for a send that shows no box, what was sent. Empty when there is
    // nothing to add.
    std::string details;

    // The same end is the same box the user sees; the details explain it and do not decide it.
    bool operator==(const Outcome& other) const {
        return box == other.box && text == other.text && success == other.success;
    }
};

} // namespace lumivo::link
