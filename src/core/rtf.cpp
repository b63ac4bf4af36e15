#include "core/rtf.h"

#include "core/version.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <map>

namespace lumivo {

std::string RtfDocument::text() const {
    std::string bytes;
    bytes.reserve(chars.size());
    for (const StyledChar& c : chars) {
        bytes.push_back(c.byte);
    }
    return bytes;
}

RtfDocument RtfDocument::fromText(std::string_view text, RtfColour colour, bool bold) {
    RtfDocument document;
    document.chars.reserve(text.size());
    for (char c : text) {
        document.chars.push_back(StyledChar{c, colour, bold});
    }
    return document;
}

bool LooksLikeRtf(std::string_view bytes) {
    return bytes.starts_with("{\\rtf");
}

namespace {

// Numeric parameters saturate here, far beyond any meaningful value, so that a run of digits
// can never overflow.
constexpr long long kParameterCap = 1'000'000'000;

// Longest control word the format allows; longer ones cannot be known words and are ignored.
constexpr std::size_t kMaxControlWordLength = 32;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Destinations whose content is never line text. A group becomes skipped from the point where
// one of these words appears in it.
bool IsSkippedDestination(std::string_view word) {
    static constexpr std::string_view kWords[] = {
        "fonttbl",      "filetbl",   "stylesheet", "listtable", "listoverridetable",
        "revtbl",       "rsidtbl",   "info",       "pict",      "object",
        "header",       "headerl",   "headerr",    "headerf",   "footer",
        "footerl",      "footerr",   "footerf",    "footnote",  "annotation",
        "fldinst",      "xmlnstbl",  "themedata",  "datastore", "colorschememapping",
        "latentstyles", "generator", "pntext",     "pntxta",    "pntxtb",
        "template",     "xe",        "tc",         "private"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// Named typographic characters, given as their bytes in code page 1252.
int NamedCharacter(std::string_view word) {
    struct Named {
        std::string_view word;
        int byte;
    };
    static constexpr Named kNamed[] = {{"lquote", 0x91},    {"rquote", 0x92}, {"ldblquote", 0x93},
                                       {"rdblquote", 0x94}, {"bullet", 0x95}, {"endash", 0x96},
                                       {"emdash", 0x97},    {"emspace", ' '}, {"enspace", ' '},
                                       {"qmspace", ' '}};
    for (const Named& n : kNamed) {
        if (n.word == word) {
            return n.byte;
        }
    }
    return -1;
}

enum class Destination { Text, ColourTable, Skipped };

// Formatting that a group saves on '{' and restores on '}'.
struct GroupState {
    Destination destination = Destination::Text;
    long long colourIndex = -1; // -1: automatic colour, as after \plain
    bool bold = false;
    long long unicodeSkip = 1; // \ucN: fallback characters that follow each \uN
};

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}

    Result<RtfDocument> run() {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                if (m_stack.size() >= static_cast<std::size_t>(kMaxRtfGroupDepth)) {
                    return Error{"The message document is damaged: its groups are nested too "
                                 "deeply to be read."};
                }
                m_stack.push_back(m_state);
                m_pendingSkip = 0;
            } else if (c == '}') {
                if (m_stack.empty()) {
                    break; // only reachable for input not starting with '{'
                }
                m_state = m_stack.back();
                m_stack.pop_back();
                m_pendingSkip = 0;
                if (m_stack.empty()) {
                    return finish();
                }
            } else if (c == '\\') {
                if (!controlSequence()) {
                    break;
                }
            } else if (c == '\r' || c == '\n') {
                // Line ends in the file only lay out the RTF source.
            } else {
                character(static_cast<unsigned char>(c));
            }
        }
        return Error{"The message document is damaged: it ends before it is complete (the "
                     "file is truncated or its braces do not match)."};
    }

private:
    Result<RtfDocument> finish() {
        // The closing paragraph end that every document carries is not part of the line.
        if (m_lastParagraphEnd == m_document.chars.size() && m_document.chars.size() >= 2) {
            m_document.chars.resize(m_document.chars.size() - 2);
        }
        return std::move(m_document);
    }

    // Reads what follows a backslash; false when the input ends inside it.
    bool controlSequence() {
        if (m_pos >= m_in.size()) {
            return false;
        }
        if (!IsLetter(m_in[m_pos])) {
            return controlSymbol(m_in[m_pos++]);
        }
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos])) {
            ++m_pos;
        }
        const std::string_view word = m_in.substr(start, m_pos - start);
        bool hasParameter = false;
        long long parameter = 0;
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
            hasParameter = true;
            parameter = std::min(parameter * 10 + (m_in[m_pos] - '0'), kParameterCap);
            ++m_pos;
        }
        if (negative) {
            parameter = -parameter;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') {
            ++m_pos; // the delimiter belongs to the control word
        }
        if (word.size() > kMaxControlWordLength) {
            return skipFallback();
        }
        return controlWord(word, hasParameter, parameter);
    }

    // Consumes one fallback character of a \uN if one is pending; true when it did.
    bool consumeFallback() {
        if (m_pendingSkip > 0 && m_state.destination == Destination::Text) {
            --m_pendingSkip;
            return true;
        }
        return false;
    }

    bool skipFallback() {
        consumeFallback();
        return true;
    }

    bool controlSymbol(char symbol) {
        if (symbol == '\'') {
            int value = -1;
            if (m_pos + 1 < m_in.size()) {
                const int high = HexValue(m_in[m_pos]);
                const int low = HexValue(m_in[m_pos + 1]);
                if (high >= 0 && low >= 0) {
                    value = high * 16 + low;
                    m_pos += 2;
                }
            }
            if (value >= 0) {
                character(value);
            } else {
                skipFallback(); // a broken escape is dropped; what follows reads as usual
            }
            return true;
        }
        switch (symbol) {
        case '{':
        case '}':
        case '\\':
            character(static_cast<unsigned char>(symbol));
            break;
        case '~':
            character(0xA0); // non-breaking space
            break;
        case '_':
            character('-'); // non-breaking hyphen
            break;
        case '\t':
            character('\t');
            break;
        case '\r':
        case '\n':
            if (!consumeFallback() && m_state.destination == Destination::Text) {
                paragraphEnd();
            }
            break;
        case '*':
            if (!consumeFallback()) {
                m_state.destination = Destination::Skipped;
            }
            break;
        default:
            skipFallback(); // \- optional hyphen, \| \: and unknown symbols hold no text
            break;
        }
        return true;
    }

    bool controlWord(std::string_view word, bool hasParameter, long long parameter) {
        if (word == "bin") {
            return skipBinary(parameter);
        }
        if (m_state.destination == Destination::Skipped) {
            return true;
        }
        if (word == "colortbl") {
            m_state.destination = Destination::ColourTable;
            m_colours.clear();
            m_entry = {};
            return true;
        }
        if (IsSkippedDestination(word)) {
            m_state.destination = Destination::Skipped;
            return true;
        }
        if (m_state.destination == Destination::ColourTable) {
            colourTableWord(word, parameter);
            return true;
        }
        if (!consumeFallback()) {
            textWord(word, hasParameter, parameter);
        }
        return true;
    }

    // Binary data is skipped wherever it stands, so its bytes are never read as RTF; false when
    // the input ends inside it.
    bool skipBinary(long long parameter) {
        const auto length = static_cast<std::size_t>(std::max(parameter, 0LL));
        if (length > m_in.size() - m_pos) {
            return false;
        }
        m_pos += length;
        consumeFallback();
        return true;
    }

    // \redN, \greenN, \blueN: the components of the colour table's entry being read.
    void colourTableWord(std::string_view word, long long parameter) {
        const auto component = static_cast<std::uint8_t>(std::clamp(parameter, 0LL, 255LL));
        if (word == "red") {
            m_entry.r = component;
        } else if (word == "green") {
            m_entry.g = component;
        } else if (word == "blue") {
            m_entry.b = component;
        }
    }

    // A word in the text: a line end, a tab, a change of colour or weight, a character.
    void textWord(std::string_view word, bool hasParameter, long long parameter) {
        if (word == "par") {
            paragraphEnd();
        } else if (word == "line") {
            emit('\r');
            emit('\n');
        } else if (word == "tab") {
            emit('\t');
        } else if (word == "cf") {
            m_state.colourIndex = hasParameter ? parameter : 0;
        } else if (word == "b") {
            m_state.bold = !hasParameter || parameter != 0;
        } else if (word == "plain") {
            m_state.colourIndex = -1;
            m_state.bold = false;
        } else if (word == "uc") {
            m_state.unicodeSkip = std::max(parameter, 0LL);
        } else if (word == "u") {
            unicodeCharacter(hasParameter ? parameter : 0);
        } else if (const int named = NamedCharacter(word); named >= 0) {
            emit(named);
        }
    }

    // \uN: a code point 0..255 is the line byte itself and its fallback characters are
    // skipped. A line byte cannot hold a larger code point, so then the fallback characters
    // (usually "?", or the code page bytes of the character) are read as the text instead.
    void unicodeCharacter(long long n) {
        const long long codePoint = n < 0 ? n + 65536 : n;
        if (codePoint >= 0 && codePoint <= 255) {
            emit(static_cast<int>(codePoint));
            m_pendingSkip = m_state.unicodeSkip;
        }
    }

    void paragraphEnd() {
        emit('\r');
        emit('\n');
        m_lastParagraphEnd = m_document.chars.size();
    }

    // A character of the current destination: text, a colour table separator, or nothing.
    void character(int byte) {
        switch (m_state.destination) {
        case Destination::Text:
            if (!consumeFallback()) {
                emit(byte);
            }
            break;
        case Destination::ColourTable:
            if (byte == ';') {
                m_colours.push_back(m_entry);
                m_entry = {};
            }
            break;
        case Destination::Skipped:
            break;
        }
    }

    void emit(int byte) {
        RtfColour colour;
        if (m_state.colourIndex >= 0 &&
            m_state.colourIndex < static_cast<long long>(m_colours.size())) {
            colour = m_colours[static_cast<std::size_t>(m_state.colourIndex)];
        }
        m_document.chars.push_back(
            StyledChar{static_cast<char>(static_cast<unsigned char>(byte)), colour, m_state.bold});
    }

    std::string_view m_in;
    std::size_t m_pos = 0;
    GroupState m_state;
    std::vector<GroupState> m_stack;
    std::vector<RtfColour> m_colours; // an entry without components is the automatic colour
    RtfColour m_entry;
    long long m_pendingSkip = 0;
    std::size_t m_lastParagraphEnd = static_cast<std::size_t>(-1);
    RtfDocument m_document;
};

// Writes control words and text, adding the space that ends a control word only where text
// follows that could otherwise be read as part of it.
class Writer {
public:
    void word(std::string_view control) {
        m_out += control;
        m_delimit = true;
    }
    void raw(std::string_view rtf) {
        m_out += rtf;
        m_delimit = false;
    }
    void text(char c) {
        if (m_delimit) {
            m_out += ' ';
            m_delimit = false;
        }
        m_out += c;
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
    bool m_delimit = false;
};

std::string ColourWord(const RtfColour& c) {
    return "\\red" + std::to_string(c.r) + "\\green" + std::to_string(c.g) + "\\blue" +
           std::to_string(c.b) + ";";
}

void WriteByte(Writer& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    if (byte == '{' || byte == '}' || byte == '\\') {
        out.raw(std::string{'\\', static_cast<char>(byte)});
    } else if (byte == '\t') {
        out.word("\\tab");
    } else if (byte < 0x20 || byte >= 0x7F) {
        out.raw(std::string{'\\', '\'', kHex[byte >> 4], kHex[byte & 0x0F]});
    } else {
        out.text(static_cast<char>(byte));
    }
}

} // namespace

Result<RtfDocument> ReadRtf(std::string_view bytes) {
    if (!LooksLikeRtf(bytes)) {
        return RtfDocument::fromText(bytes);
    }
    return Reader(bytes).run();
}

std::string WriteRtf(const RtfDocument& document) {
    const std::vector<StyledChar>& chars = document.chars;

    // The colours in order of first use, numbered from 1: entry 0 of the table is the automatic
    // colour.
    std::vector<RtfColour> colours;
    std::map<std::uint32_t, std::size_t> tableIndex;
    const auto key = [](const RtfColour& c) {
        return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
    };
    for (const StyledChar& c : chars) {
        if (tableIndex.emplace(key(c.colour), colours.size() + 1).second) {
            colours.push_back(c.colour);
        }
    }

    Writer out;
    out.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat"
            "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n{\\colortbl ;");
    for (const RtfColour& c : colours) {
        out.raw(ColourWord(c));
    }
    out.raw("}\r\n{\\*\\generator Lumivo ");
    out.raw(kVersion);
    out.raw(";}\\viewkind4\\uc1 \r\n");
    out.word("\\pard\\f0\\fs20");

    std::size_t currentColour = 0; // automatic until the first character sets one
    bool bold = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const StyledChar& c = chars[i];
        const std::size_t index = tableIndex.at(key(c.colour));
        if (index != currentColour) {
            out.word("\\cf" + std::to_string(index));
            currentColour = index;
        }
        if (c.bold != bold) {
            out.word(c.bold ? "\\b" : "\\b0");
            bold = c.bold;
        }
        // A CR LF pair of one style is a paragraph end; any other CR or LF stays a byte.
        if (c.byte == '\r' && i + 1 < chars.size() &&
            chars[i + 1] == StyledChar{'\n', c.colour, c.bold}) {
            out.raw("\\par\r\n");
            ++i;
            continue;
        }
        WriteByte(out, static_cast<unsigned char>(c.byte));
    }
    out.raw("\\par\r\n}\r\n");
    return out.take();
}

} // namespace lumivo
