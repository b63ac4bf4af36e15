#include "core/settings_file.h"

#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumivo {

namespace {

// One line of the file: where it starts, its length without the line end, and the line end.
struct Line {
    std::size_t begin = 0;
    std::size_t length = 0;
    std::size_t end = 0; // past the line end
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t stop = text.find_first_of("\r\n", begin);
        if (stop == std::string_view::npos) {
            lines.push_back(Line{begin, text.size() - begin, text.size()});
            break;
        }
        const bool crlf = text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n';
        const std::size_t end = stop + (crlf ? 2 : 1);
        lines.push_back(Line{begin, stop - begin, end});
        begin = end;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// What a line says: a section header, a key with its value, or nothing.
struct Parsed {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};

Parsed ParseLine(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == ';') {
        return {};
    }
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos) {
            return {};
        }
        return Parsed{Parsed::Kind::Section, Trim(line.substr(1, close - 1)), {}};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    return Parsed{Parsed::Kind::Key, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::string_view WithoutBom(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return text;
}

// Where a key lives: the index of its line, or of the last line of its section, or nothing.
struct Location {
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionLast; // last non-blank line of the section
};

Location Locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                std::string_view key) {
    Location where;
    bool inSection = false;
    bool sectionSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = text.substr(lines[i].begin, lines[i].length);
        const Parsed parsed = ParseLine(line);
        if (parsed.kind == Parsed::Kind::Section) {
            if (sectionSeen) {
                inSection = false;
                continue;
            }
            inSection = SameName(parsed.name, section);
            if (inSection) {
                sectionSeen = true;
                where.sectionLast = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(line).empty()) {
            where.sectionLast = i;
        }
        if (parsed.kind == Parsed::Kind::Key && SameName(parsed.name, key)) {
            where.keyLine = i;
            return where;
        }
    }
    return where;
}

// The line end a file already uses, so a written line matches its neighbours.
std::string LineEnd(std::string_view text) {
    const std::size_t first = text.find_first_of("\r\n");
    if (first != std::string_view::npos) {
        if (text[first] == '\n') {
            return "\n";
        }
        return (first + 1 < text.size() && text[first + 1] == '\n') ? "\r\n" : "\r";
    }
#ifdef _WIN32
    return "\r\n";
#else
    return "\n";
#endif
}

// Largest settings file read; anything bigger is not one of ours: it reads as missing and is
// never rewritten.
constexpr std::size_t kMaxSettingsBytes = 1024 * 1024;

Result<std::string> ReadSettingsText(const std::filesystem::path& path) {
    return ReadWholeFile(path, kMaxSettingsBytes);
}

bool LastByteEndsLine(std::string_view text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

} // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    text = WithoutBom(text);
    const std::vector<Line> lines = SplitLines(text);
    const Location where = Locate(text, lines, section, key);
    if (!where.keyLine) {
        return std::nullopt;
    }
    const Line& line = lines[*where.keyLine];
    std::string_view value = ParseLine(text.substr(line.begin, line.length)).value;
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\''))) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string eol = LineEnd(text);
    const std::size_t bom = text.size() - WithoutBom(text).size();
    const std::vector<Line> lines = SplitLines(text.substr(bom));
    const std::string_view body = text.substr(bom);
    const Location where = Locate(body, lines, section, key);
    const std::string entry = std::string(key) + "=" + std::string(value);

    std::string out(text.substr(0, bom));
    if (where.keyLine) {
        const Line& line = lines[*where.keyLine];
        out += body.substr(0, line.begin);
        out += entry;
        out += body.substr(line.begin + line.length);
        return out;
    }
    if (where.sectionLast) {
        const Line& line = lines[*where.sectionLast];
        out += body.substr(0, line.end);
        if (line.end == line.begin + line.length) {
            out += eol; // the section's last line had no line end
        }
        out += entry + eol;
        out += body.substr(line.end);
        return out;
    }
    out += body;
    if (!body.empty() && !LastByteEndsLine(body)) {
        out += eol;
    }
    out += "[" + std::string(section) + "]" + eol + entry + eol;
    return out;
}

std::vector<std::string> IniSectionNames(std::string_view text) {
    text = WithoutBom(text);
    std::vector<std::string> names;
    for (const Line& line : SplitLines(text)) {
        const Parsed parsed = ParseLine(text.substr(line.begin, line.length));
        if (parsed.kind == Parsed::Kind::Section) {
            names.emplace_back(parsed.name);
        }
    }
    return names;
}

std::string RemoveIniSection(std::string_view text, std::string_view section) {
    const std::size_t bom = text.size() - WithoutBom(text).size();
    const std::string_view body = text.substr(bom);
    std::string out(text.substr(0, bom));
    bool removing = false;
    for (const Line& line : SplitLines(body)) {
        const Parsed parsed = ParseLine(body.substr(line.begin, line.length));
        if (parsed.kind == Parsed::Kind::Section) {
            removing = SameName(parsed.name, section);
        }
        if (!removing) {
            out += body.substr(line.begin, line.end - line.begin);
        }
    }
    return out;
}

std::optional<int> ParseIniInt(std::string_view value) {
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    if (value.empty() || value.size() > 10) {
        return std::nullopt;
    }
    long long number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    if (negative) {
        number = -number;
    }
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

SettingsFile::SettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::optional<std::string> SettingsFile::readString(std::string_view section,
                                                    std::string_view key) const {
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) {
        return std::nullopt;
    }
    const Result<std::string> text = ReadSettingsText(m_path);
    if (!text) {
        return std::nullopt;
    }
    return FindIniValue(*text, section, key);
}

int SettingsFile::readInt(std::string_view section, std::string_view key, int fallback) const {
    const std::optional<std::string> value = readString(section, key);
    if (!value) {
        return fallback;
    }
    return ParseIniInt(*value).value_or(fallback);
}

Status SettingsFile::writeInt(std::string_view section, std::string_view key, int value) const {
    return writeString(section, key, std::to_string(value));
}

Status SettingsFile::writeString(std::string_view section, std::string_view key,
                                 std::string_view value) const {
    return writeStrings(section, {{std::string(key), std::string(value)}});
}

Status
SettingsFile::writeStrings(std::string_view section,
                           const std::vector<std::pair<std::string, std::string>>& values) const {
    return rewrite([&](std::string text) {
        for (const auto& [key, value] : values) {
            text = SetIniValue(text, section, key, value);
        }
        return text;
    });
}

std::vector<std::string> SettingsFile::sectionNames() const {
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) {
        return {};
    }
    const Result<std::string> text = ReadSettingsText(m_path);
    if (!text) {
        return {};
    }
    return IniSectionNames(*text);
}

Status SettingsFile::removeSection(std::string_view section) const {
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) {
        return Ok{};
    }
    return rewrite([&](std::string text) { return RemoveIniSection(text, section); });
}

Status SettingsFile::rewrite(const std::function<std::string(std::string)>& change) const {
    std::string text;
    std::error_code ec;
    if (std::filesystem::exists(m_path, ec)) {
#ifndef _WIN32
        // A file the user made read-only stays as it is, although its folder would let a new
        // file be renamed over it.
        if (::access(m_path.c_str(), W_OK) != 0) {
            return Error{"Cannot write " + m_path.string() + ": " + std::strerror(errno)};
        }
#endif
        Result<std::string> read = ReadSettingsText(m_path);
        if (!read) {
            return read.error();
        }
        text = std::move(read.value());
    }
    const std::string changed = change(text);
    if (changed == text && std::filesystem::exists(m_path, ec)) {
        return Ok{};
    }
    return WriteFileReplacing(m_path, changed);
}

} // namespace lumivo
