// Any text as a settings file: a value written under a section and key reads back as written,
// and every other key keeps its value.
//
// Input, split at NUL bytes: the file text, the section, the key, the value, then another section
// and key to watch. Names and values are made to fit the file's rules first: names lose "]", "=",
// ";" and line ends, then their surrounding blanks (and a key may not start with "["); values lose
// line ends and surrounding blanks, and a value wrapped in a pair of quotes is skipped (the quotes
// would be taken off on reading).
#include "core/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> SplitAtNul(std::string_view input) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (std::size_t end = input.find('\0'); end != std::string_view::npos;
         end = input.find('\0', begin)) {
        parts.emplace_back(input.substr(begin, end - begin));
        begin = end + 1;
    }
    parts.emplace_back(input.substr(begin));
    return parts;
}

std::string Without(std::string text, std::string_view banned) {
    std::string kept;
    for (char c : text) {
        if (banned.find(c) == std::string_view::npos) {
            kept += c;
        }
    }
    return kept;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Name(const std::string& raw) {
    return Trimmed(Without(raw, "]=;\r\n"));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts =
        SplitAtNul(std::string_view(reinterpret_cast<const char*>(data), size));
    parts.resize(std::max<std::size_t>(parts.size(), 6));
    const std::string& text = parts[0];
    const std::string section = Name(parts[1]);
    const std::string key = Name(parts[2]);
    const std::string value = Trimmed(Without(parts[3], "\r\n"));
    const std::string otherSection = Name(parts[4]);
    const std::string otherKey = Name(parts[5]);
    // A key line that starts with "[" reads as a (broken) section header: no such key exists.
    if (section.empty() || key.empty() || key.front() == '[') {
        return 0;
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return 0;
    }

    const std::optional<std::string> otherBefore =
        lumivo::FindIniValue(text, otherSection, otherKey);
    const std::string written = lumivo::SetIniValue(text, section, key, value);
    if (lumivo::FindIniValue(written, section, key) != value) {
        std::abort();
    }
    const bool sameKey = SameName(section, otherSection) && SameName(key, otherKey);
    if (!sameKey && lumivo::FindIniValue(written, otherSection, otherKey) != otherBefore) {
        std::abort();
    }
    // Writing the value again changes nothing.
    if (lumivo::SetIniValue(written, section, key, value) != written) {
        std::abort();
    }
    return 0;
}
