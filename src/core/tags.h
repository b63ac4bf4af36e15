#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lumivo {

// One entry of a tag table: what the user writes and what the sign understands.
struct TagEntry {
    std::string_view tag;
    std::string_view code;
};

// A fixed, ordered table; the position of a tag is what the code lookup uses.
using TagTable = std::span<const TagEntry>;

TagTable InlineTags();          // fonts, bells, date/time fields, colours: replaced in the text
TagTable EffectTags();          // capitalised leading/closing effects
TagTable LowerCaseEffectTags(); // lower-case leading/closing effects
TagTable DisplayEffectTags();   // <Normal> .. <Song 3>
TagTable SpeedTags();           // <Speed 0> .. <Speed 3>, code is a digit
TagTable DisplayTimeTags();     // <0.5Sec>, <1Sec> .. <25Sec>

// Position of the first entry exactly equal to the tag (case-sensitive), if any.
std::optional<std::size_t> FindTag(std::string_view tag, TagTable table);

// Sign code of a column tag "<COL ddd>" (ddd = 000..255), "<N" + two hex digits + ">".
std::optional<std::string> MatchColumnTag(std::string_view tag);

} // namespace lumivo
