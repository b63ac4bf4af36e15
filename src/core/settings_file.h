#pragma once

#include "core/result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo {

// An initialisation file read and written one key at a time, the way the platform's profile
// functions do it: every call opens the file afresh, nothing is cached, and a write changes only
// the line of its key, so sections and keys of other programs survive byte for byte. The editor,
// the command line and the COM port mapping all read and write settings through this class.
//
// Section and key names compare without regard to case; the first section and the first key of a
// name win. Lines starting with ";" are comments. Keys before any section belong to none. A line
// ends at CR LF, LF or a lone CR.
class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // The text stored under section/key (blanks around it and one pair of quotes removed);
    // nothing when the file, the section or the key is missing.
    std::optional<std::string> readString(std::string_view section, std::string_view key) const;

    // The whole number stored under section/key; `fallback` when the file, the section or the key
    // is missing, or the value is not a whole number.
    int readInt(std::string_view section, std::string_view key, int fallback) const;

    // Stores the number. On failure the file is unchanged and the error says why. A missing file
    // is created.
    Status writeInt(std::string_view section, std::string_view key, int value) const;
    Status writeString(std::string_view section, std::string_view key,
                       std::string_view value) const;
    // Stores several keys of one section in one write: all of them, or (on failure) none.
    Status writeStrings(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& values) const;

    // The name of every section header, in the order of the file (a name written twice is
    // listed twice); nothing when the file is missing or cannot be read.
    std::vector<std::string> sectionNames() const;
    // Removes every section of that name, its header and its lines up to the next header; the
    // rest of the file stays byte for byte. A missing file or section is no error.
    Status removeSection(std::string_view section) const;

private:
    // Reads the file (a missing one as empty), changes its text and writes it back in one
    // atomic write; nothing is written when the text stays the same.
    Status rewrite(const std::function<std::string(std::string)>& change) const;

    std::filesystem::path m_path;
};

// The text operations behind SettingsFile, on the bytes of a whole file.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);
// Every section header's name in file order.
std::vector<std::string> IniSectionNames(std::string_view text);
// The text without the sections of that name (header and lines up to the next header).
std::string RemoveIniSection(std::string_view text, std::string_view section);
// A whole decimal number, with an optional sign; nothing else (no blanks inside, no trailing
// letters, nothing out of the range of int).
std::optional<int> ParseIniInt(std::string_view value);

} // namespace lumivo
