#include "core/line_fields.h"

#include <algorithm>
#include <array>
#include <limits>

namespace lumivo {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

FieldRef FieldOf(std::string name, std::string_view detail) {
    FieldRef field{std::move(name), std::string(detail), {}};
    if (IsClockField(field.name)) {
        const std::size_t at = detail.rfind('@');
        if (at != std::string_view::npos) {
            field.format = std::string(detail.substr(0, at));
            field.zone = std::string(detail.substr(at + 1));
        }
    }
    return field;
}

// Appends code point `c` of a value to `out` under the value rule.
void AppendSafe(char32_t c, Bytes& out) {
    if (c < 0x20 || c == 0x7F) {
        return;
    }
    if (c == '<') {
        out.push_back('(');
    } else if (c == '>') {
        out.push_back(')');
    } else if (c > 0xFF) {
        out.push_back('?');
    } else {
        out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
}

// The length of the well-formed UTF-8 sequence at `at` and its code point; 0 when the bytes
// there are not one (a stray continuation byte, a cut sequence, an overlong form, a surrogate).
std::size_t Utf8Sequence(std::string_view bytes, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

constexpr std::string_view kClockConversions = "aAbBdeHIjmMpSuwyYzZ%";
constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

void AppendNumber(int value, int width, char pad, Bytes& out) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0) {
        out.push_back('-');
    }
    if (static_cast<int>(digits.size()) < width) {
        out.append(static_cast<std::size_t>(width) - digits.size(), pad);
    }
    out += digits;
}

} // namespace

bool IsClockField(std::string_view name) {
    return name == kTimeField || name == kDateField;
}

Result<LineTemplate> LineTemplate::Parse(std::string_view line) {
    LineTemplate parsed;
    parsed.m_source = Bytes(line);
    Bytes text;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '{' && i + 1 < line.size() && line[i + 1] == '{') {
            text.push_back('{');
            i += 2;
            continue;
        }
        if (c != '{' || i + 1 >= line.size() || !IsLetter(line[i + 1])) {
            text.push_back(c);
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < line.size() && IsNameChar(line[end])) {
            ++end;
        }
        if (end >= line.size() || (line[end] != '}' && line[end] != ':')) {
            if (end >= line.size()) {
                return Error{"the field {" + std::string(line.substr(i + 1, end - i - 1)) +
                             " is not closed with '}'"};
            }
            text.push_back(c); // "{a b}": not a field
            ++i;
            continue;
        }
        std::string name(line.substr(i + 1, end - i - 1));
        std::string_view detail;
        if (line[end] == ':') {
            const std::size_t close = line.find('}', end + 1);
            if (close == std::string_view::npos) {
                return Error{"the field {" + name + ": is not closed with '}'"};
            }
            detail = line.substr(end + 1, close - end - 1);
            end = close;
        }
        if (!text.empty()) {
            parsed.m_pieces.push_back(Piece{std::move(text), std::nullopt});
            text.clear();
        }
        parsed.m_pieces.push_back(Piece{{}, FieldOf(std::move(name), detail)});
        parsed.m_hasFields = true;
        i = end + 1;
    }
    if (!text.empty()) {
        parsed.m_pieces.push_back(Piece{std::move(text), std::nullopt});
    }
    return parsed;
}

std::vector<std::string> LineTemplate::fieldNames() const {
    std::vector<std::string> names;
    for (const Piece& piece : m_pieces) {
        if (piece.field &&
            std::find(names.begin(), names.end(), piece.field->name) == names.end()) {
            names.push_back(piece.field->name);
        }
    }
    return names;
}

std::optional<Bytes> LineTemplate::fill(const ValueOf& valueOf) const {
    if (!m_hasFields) {
        return m_source;
    }
    Bytes line;
    for (const Piece& piece : m_pieces) {
        if (!piece.field) {
            line += piece.text;
            continue;
        }
        const std::optional<Bytes> value = valueOf(*piece.field);
        if (!value) {
            return std::nullopt;
        }
        line += *value;
    }
    return line;
}

Bytes SafeFieldValue(std::string_view raw, std::size_t maxChars) {
    Bytes out;
    std::size_t at = 0;
    while (at < raw.size() && out.size() < maxChars) {
        char32_t code = 0;
        const std::size_t length = Utf8Sequence(raw, at, code);
        if (length == 0) {
            out.push_back('?');
            ++at;
            continue;
        }
        AppendSafe(code, out);
        at += length;
    }
    return out;
}

std::string ClockFormatProblem(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        if (i + 1 >= format.size()) {
            return "the format ends with a lone '%'";
        }
        ++i;
        if (kClockConversions.find(format[i]) == std::string_view::npos) {
            return std::string("the format's %") + format[i] + " is not one of %a %A %b %B %d %e " +
                   "%H %I %j %m %M %p %S %u %w %y %Y %z %Z %%";
        }
    }
    return {};
}

std::string ClockFormatOf(const FieldRef& field) {
    if (!field.format.empty()) {
        return field.format;
    }
    return field.name == kTimeField ? "%H:%M" : "%d.%m.%Y";
}

Bytes FormatClock(std::string_view format, const std::tm& local, long utcOffsetSeconds,
                  std::string_view zoneName) {
    Bytes out;
    const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    const auto day = static_cast<std::size_t>(std::clamp(local.tm_wday, 0, 6));
    const auto month = static_cast<std::size_t>(std::clamp(local.tm_mon, 0, 11));
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
            continue;
        }
        switch (format[++i]) {
        case 'a':
            out.append(kDayNames[day], 3);
            break;
        case 'A':
            out += kDayNames[day];
            break;
        case 'b':
            out.append(kMonthNames[month], 3);
            break;
        case 'B':
            out += kMonthNames[month];
            break;
        case 'd':
            AppendNumber(local.tm_mday, 2, '0', out);
            break;
        case 'e':
            AppendNumber(local.tm_mday, 2, ' ', out);
            break;
        case 'H':
            AppendNumber(local.tm_hour, 2, '0', out);
            break;
        case 'I':
            AppendNumber(hour12, 2, '0', out);
            break;
        case 'j':
            AppendNumber(local.tm_yday + 1, 3, '0', out);
            break;
        case 'm':
            AppendNumber(local.tm_mon + 1, 2, '0', out);
            break;
        case 'M':
            AppendNumber(local.tm_min, 2, '0', out);
            break;
        case 'p':
            out += local.tm_hour < 12 ? "AM" : "PM";
            break;
        case 'S':
            AppendNumber(local.tm_sec, 2, '0', out);
            break;
        case 'u':
            AppendNumber(local.tm_wday == 0 ? 7 : local.tm_wday, 1, '0', out);
            break;
        case 'w':
            AppendNumber(local.tm_wday, 1, '0', out);
            break;
        case 'y':
            AppendNumber((local.tm_year + 1900) % 100, 2, '0', out);
            break;
        case 'Y':
            AppendNumber(local.tm_year + 1900, 4, '0', out);
            break;
        case 'z': {
            const long minutes = (utcOffsetSeconds < 0 ? -utcOffsetSeconds : utcOffsetSeconds) / 60;
            out.push_back(utcOffsetSeconds < 0 ? '-' : '+');
            AppendNumber(static_cast<int>(minutes / 60), 2, '0', out);
            AppendNumber(static_cast<int>(minutes % 60), 2, '0', out);
            break;
        }
        case 'Z':
            out += zoneName;
            break;
        default:
            out.push_back(format[i]); // "%%"
            break;
        }
    }
    return out;
}

std::optional<std::size_t> SourceFieldWidth(std::string_view format) {
    if (format.empty()) {
        return std::numeric_limits<std::size_t>::max();
    }
    if (format.size() > 4 ||
        !std::all_of(format.begin(), format.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const std::size_t width = std::stoul(std::string(format));
    if (width < 1 || width > 1000) {
        return std::nullopt;
    }
    return width;
}

bool ClockFormatShowsSeconds(std::string_view format) {
    return format.find("%S") != std::string_view::npos;
}

} // namespace lumivo
