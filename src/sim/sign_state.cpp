#include "sim/sign_state.h"

#include "core/bytes.h"
#include "core/graphic.h"
#include "sim/pattern.h"

namespace lumivo::sim {

namespace {

constexpr std::size_t kPageHeaderSize = 16;    // four codes of four bytes
constexpr std::size_t kScheduleTimesSize = 20; // YYMMDDhhmm twice
constexpr std::size_t kClockDigits = 14;       // yy ww mm dd hh nn ss
constexpr std::size_t kMaxSchedulePages = 26;
constexpr int kMaxBlockNumber = 8; // four upper and four lower blocks
constexpr int kMaxUserCharNumber = 0x3F;

bool InRange(char c, char first, char last) {
    return c >= first && c <= last;
}

// "<G" + letter + number + ">": the length of that header when the payload starts with a valid
// one followed by exactly one block of bytes, else 0.
std::size_t BlockHeaderLength(std::string_view payload) {
    for (std::string_view pattern : {std::string_view("<G@9>"), std::string_view("<G@99>")}) {
        if (StartsWithPattern(payload, pattern) && payload.size() == pattern.size() + kBlockBytes) {
            const char letter = payload[2];
            const int number = ParseDecimal(payload.substr(3, pattern.size() - 4));
            const bool known = InRange(letter, GraphicLetter(1), GraphicLetter(kGraphicCount)) &&
                               number >= 1 && number <= kMaxBlockNumber;
            return known ? pattern.size() : 0;
        }
    }
    return 0;
}

bool IsPagePayload(std::string_view p) {
    return StartsWithPattern(p, "<L9><P@>") && InRange(p[2], '1', '2');
}

bool IsSchedulePayload(std::string_view p) {
    if (!StartsWithPattern(p, "<T@>") || !InRange(p[2], 'A', 'E') ||
        p.size() < 4 + kScheduleTimesSize ||
        p.size() > 4 + kScheduleTimesSize + kMaxSchedulePages) {
        return false;
    }
    // A link-pages command ends the same way as a schedule: page letters only.
    for (char c : p.substr(4 + kScheduleTimesSize)) {
        if (!InRange(c, 'A', 'Z')) {
            return false;
        }
    }
    return true;
}

bool IsFontCharPayload(std::string_view p) {
    if (!StartsWithPattern(p, "<F@##>") || p.size() != 6 + kFontRows || !InRange(p[2], 'A', 'C')) {
        return false;
    }
    const int number = ParseHex(p.substr(3, 2));
    return number >= 0 && number <= kMaxUserCharNumber;
}

// "<" + code letter + any byte + ">", as the page header codes are written.
bool IsHeaderCode(std::string_view s, std::size_t at, char codeLetter) {
    return s.size() >= at + 4 && s[at] == '<' && s[at + 1] == codeLetter && s[at + 3] == '>';
}

PageLine SplitPageLine(std::string_view rest) {
    PageLine line;
    if (IsHeaderCode(rest, 0, 'F') && IsHeaderCode(rest, 4, 'M') && IsHeaderCode(rest, 8, 'W') &&
        IsHeaderCode(rest, 12, 'F')) {
        line.header = Bytes(rest.substr(0, kPageHeaderSize));
        line.text = Bytes(rest.substr(kPageHeaderSize));
    } else {
        line.text = Bytes(rest);
    }
    return line;
}

std::uint8_t Byte(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

} // namespace

std::string_view PayloadKindName(PayloadKind kind) {
    switch (kind) {
    case PayloadKind::Page:
        return "page";
    case PayloadKind::GraphicBlock:
        return "graphic-block";
    case PayloadKind::SetClock:
        return "set-clock";
    case PayloadKind::RunPage:
        return "run-page";
    case PayloadKind::Brightness:
        return "brightness";
    case PayloadKind::Schedule:
        return "schedule";
    case PayloadKind::DeleteSchedule:
        return "delete-schedule";
    case PayloadKind::DeleteLine:
        return "delete-line";
    case PayloadKind::DeleteAll:
        return "delete-all";
    case PayloadKind::FontChar:
        return "font-char";
    case PayloadKind::RecallFont:
        return "recall-font";
    case PayloadKind::BeginTransfer:
        return "begin-transfer";
    case PayloadKind::EndTransfer:
        return "end-transfer";
    case PayloadKind::Unknown:
        break;
    }
    return "unknown";
}

PayloadKind ClassifyPayload(std::string_view p) {
    if (p == "<BE>") {
        return PayloadKind::BeginTransfer;
    }
    if (p == "<BF>") {
        return PayloadKind::EndTransfer;
    }
    if (p == "<D*>") {
        return PayloadKind::DeleteAll;
    }
    if (p == "<DU>") {
        return PayloadKind::RecallFont;
    }
    if (IsPagePayload(p)) {
        return PayloadKind::Page;
    }
    if (BlockHeaderLength(p) > 0) {
        return PayloadKind::GraphicBlock;
    }
    if (p.starts_with("<SC>") && p.size() == 4 + kClockDigits) {
        return PayloadKind::SetClock;
    }
    if (IsPattern(p, "<RP@>")) {
        return PayloadKind::RunPage;
    }
    if (IsPattern(p, "<B@>") && InRange(p[2], 'A', 'D')) {
        return PayloadKind::Brightness;
    }
    if (IsSchedulePayload(p)) {
        return PayloadKind::Schedule;
    }
    if (IsPattern(p, "<DT@>") && InRange(p[3], 'A', 'E')) {
        return PayloadKind::DeleteSchedule;
    }
    if (IsPattern(p, "<DL9P@>") && InRange(p[3], '1', '2')) {
        return PayloadKind::DeleteLine;
    }
    if (IsFontCharPayload(p)) {
        return PayloadKind::FontChar;
    }
    return PayloadKind::Unknown;
}

std::vector<std::string> DecodeBlockRows(const std::array<std::uint8_t, kBlockBytes>& bytes) {
    // The block holds four groups of eight columns; each group has two bytes per row, the
    // leftmost dot in the two highest bits.
    static constexpr char kLetterOfBits[4] = {kPixelOff, kPixelGreen, kPixelRed, kPixelYellow};
    std::vector<std::string> rows(kBlockHeight, std::string(kBlockWidth, kPixelOff));
    std::size_t i = 0;
    for (int group = 0; group < 4; ++group) {
        for (int row = 0; row < kBlockHeight; ++row) {
            for (int half = 0; half < 2; ++half) {
                const std::uint8_t b = bytes[i++];
                for (int k = 0; k < 4; ++k) {
                    const int bits = (b >> (6 - 2 * k)) & 3;
                    rows[static_cast<std::size_t>(row)]
                        [static_cast<std::size_t>(group * 8 + half * 4 + k)] = kLetterOfBits[bits];
                }
            }
        }
    }
    return rows;
}

namespace {

void ApplyGraphicBlock(SignState& state, std::string_view p) {
    const std::size_t header = BlockHeaderLength(p);
    GraphicBlock block;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        block.bytes[i] = Byte(p, header + i);
    }
    block.rows = DecodeBlockRows(block.bytes);
    const int number = ParseDecimal(p.substr(3, header - 4));
    state.graphics[{p[2], number}] = std::move(block);
}

// A page without lines is gone from the sign.
void ApplyDeleteLine(SignState& state, std::string_view p) {
    const auto page = state.pages.find(p[5]);
    if (page != state.pages.end()) {
        page->second.lines.erase(p[3] - '0');
        if (page->second.lines.empty()) {
            state.pages.erase(page);
        }
    }
}

// Everything the sign was sent to show; its ID, clock, brightness and user font stay.
void ApplyDeleteAll(SignState& state) {
    state.pages.clear();
    state.graphics.clear();
    state.schedules.clear();
    state.runningPage.reset();
}

void ApplyFontChar(SignState& state, std::string_view p) {
    UserChar ch;
    ch.size = p[2];
    for (std::size_t i = 0; i < kFontRows; ++i) {
        ch.rows[i] = Byte(p, 6 + i);
    }
    state.userChars[ParseHex(p.substr(3, 2))] = ch;
}

} // namespace

PayloadKind ApplyPayload(SignState& state, std::string_view p) {
    const PayloadKind kind = ClassifyPayload(p);
    switch (kind) {
    case PayloadKind::Page: {
        const int lineNumber = p[2] - '0';
        state.pages[p[6]].lines[lineNumber] = SplitPageLine(p.substr(8));
        break;
    }
    case PayloadKind::GraphicBlock:
        ApplyGraphicBlock(state, p);
        break;
    case PayloadKind::SetClock:
        state.clock = std::string(p.substr(4));
        break;
    case PayloadKind::RunPage:
        state.runningPage = p[3];
        break;
    case PayloadKind::Brightness:
        state.brightness = p[2];
        break;
    case PayloadKind::Schedule:
        state.schedules[p[2]] =
            ScheduleSlot{std::string(p.substr(4, 10)), std::string(p.substr(14, 10)),
                         std::string(p.substr(4 + kScheduleTimesSize))};
        break;
    case PayloadKind::DeleteSchedule:
        state.schedules.erase(p[3]);
        break;
    case PayloadKind::DeleteLine:
        ApplyDeleteLine(state, p);
        break;
    case PayloadKind::DeleteAll:
        ApplyDeleteAll(state);
        break;
    case PayloadKind::FontChar:
        ApplyFontChar(state, p);
        break;
    case PayloadKind::RecallFont:
        state.userChars.clear();
        break;
    case PayloadKind::BeginTransfer:
        state.transferOpen = true;
        break;
    case PayloadKind::EndTransfer:
        state.transferOpen = false;
        break;
    case PayloadKind::Unknown:
        break;
    }
    return kind;
}

} // namespace lumivo::sim
