#pragma once

#include "core/bytes.h"
#include "core/result.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// A field of a line: "{name}" or "{name:format}". The time and date fields take a strftime
// format and, after the last '@', a time zone ("{time:%H:%M@Europe/Berlin}"); a field filled from
// a source takes a whole number as its format, the most characters of its value shown.
struct FieldRef {
    std::string name;
    std::string format; // without the zone
    std::string zone;   // empty: the service's own time zone
    bool operator==(const FieldRef&) const = default;
};

inline constexpr char kTimeField[] = "time";
inline constexpr char kDateField[] = "date";
bool IsClockField(std::string_view name);

// A line cut into literal text and fields. A '{' begins a field only when a letter follows it
// and the name (letters, digits, '_' and '-') ends at ':' or '}'; "{{" is a literal '{'; any
// other brace is literal text. A line without fields is sent exactly as it was given (its "{{"
// stays too), so lines written before fields existed keep every byte.
class LineTemplate {
public:
    struct Piece {
        Bytes text; // literal text, when `field` is empty
        std::optional<FieldRef> field;
    };

    // Fails for a field that is opened and never closed ("{name:..." to the end of the line).
    static Result<LineTemplate> Parse(std::string_view line);

    bool hasFields() const { return m_hasFields; }
    const Bytes& source() const { return m_source; }
    const std::vector<Piece>& pieces() const { return m_pieces; }
    // Each field's name once, in the order of the line.
    std::vector<std::string> fieldNames() const;

    // The value of a field, already made safe; nothing when the field has no value yet.
    using ValueOf = std::function<std::optional<Bytes>(const FieldRef& field)>;
    // The filled line, or nothing when any field has no value: a line is never half-filled.
    // A line without fields is its source as it is.
    std::optional<Bytes> fill(const ValueOf& valueOf) const;

private:
    Bytes m_source;
    std::vector<Piece> m_pieces;
    bool m_hasFields = false;
};

// The most characters of a field's value unless its settings say otherwise.
inline constexpr std::size_t kDefaultValueLength = 100;

// A value from outside made fit for a line, so it can never become a tag or a frame byte: the
// bytes are read as UTF-8, where a byte that is not part of a well-formed sequence and a
// character above U+00FF each become '?'; '<' becomes '(' and '>' becomes ')'; control
// characters (below U+0020, and U+007F) are dropped; the result is cut after `maxChars`.
Bytes SafeFieldValue(std::string_view raw, std::size_t maxChars = kDefaultValueLength);

// Why a time or date format cannot be used (empty when it can): only the conversions %a %A %b %B
// %d %e %H %I %j %m %M %p %S %u %w %y %Y %z %Z %% are taken, with English names whatever the
// locale, so the text stays short and the same on every machine.
std::string ClockFormatProblem(std::string_view format);

// The format of a time or date field as filled: the default when none is given ("%H:%M" for
// time, "%d.%m.%Y" for date).
std::string ClockFormatOf(const FieldRef& field);

// The clock's text for a checked format at `local` (a broken-down time in the field's zone),
// with %z and %Z taken from `utcOffsetSeconds` and `zoneName`.
Bytes FormatClock(std::string_view format, const std::tm& local, long utcOffsetSeconds,
                  std::string_view zoneName);

// A source field's format: the most characters shown (the largest size_t when empty: all);
// nothing when it is not a whole number from 1 to 1000.
std::optional<std::size_t> SourceFieldWidth(std::string_view format);

// Whether the clock format shows seconds, so its text can change within a minute.
bool ClockFormatShowsSeconds(std::string_view format);

} // namespace lumivo
