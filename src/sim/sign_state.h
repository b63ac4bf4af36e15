#pragma once

#include "core/bytes.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo::sim {

// The payloads the sign knows.
enum class PayloadKind {
    Page,
    GraphicBlock,
    SetClock,
    RunPage,
    Brightness,
    Schedule,
    DeleteSchedule,
    DeleteLine,
    DeleteAll,
    FontChar,
    RecallFont,
    BeginTransfer,
    EndTransfer,
    Unknown,
};

// Short name used in the log ("page", "graphic-block", ...).
std::string_view PayloadKindName(PayloadKind kind);

PayloadKind ClassifyPayload(std::string_view payload);

// One line of a page: what followed "<L?><P?>". The header is the four page codes (leading
// effect, display effect, display time, closing effect) when the line starts with them.
struct PageLine {
    Bytes header;
    Bytes text;
};

struct Page {
    std::map<int, PageLine> lines; // by line number 1, 2
};

inline constexpr std::size_t kBlockBytes = 64;

// A graphic block as received, and its dots decoded back into pixel letters: 8 rows of 32.
struct GraphicBlock {
    std::array<std::uint8_t, kBlockBytes> bytes{};
    std::vector<std::string> rows;
};

// Pixel letters of a block's 64 bytes, the reverse of the block packing.
std::vector<std::string> DecodeBlockRows(const std::array<std::uint8_t, kBlockBytes>& bytes);

struct ScheduleSlot {
    std::string start; // YYMMDDhhmm as sent
    std::string end;   // YYMMDDhhmm as sent
    std::string pages;
};

inline constexpr std::size_t kFontRows = 8;

struct UserChar {
    char size = 'A';
    std::array<std::uint8_t, kFontRows> rows{};
};

struct SignState {
    int id = 1;
    std::map<char, Page> pages;
    std::map<std::pair<char, int>, GraphicBlock> graphics; // by graphic letter, block number
    std::map<char, ScheduleSlot> schedules;                // by slot letter A..E
    std::map<int, UserChar> userChars;                     // by character number 0x00..0x3F
    std::optional<std::string> clock;                      // the 14 characters after "<SC>"
    std::optional<char> brightness;                        // "A".."D"
    std::optional<char> runningPage;
    bool transferOpen = false;
};

// Applies a payload with a good checksum. Unknown payloads change nothing. Returns the kind.
PayloadKind ApplyPayload(SignState& state, std::string_view payload);

} // namespace lumivo::sim
