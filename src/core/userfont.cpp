#include "core/userfont.h"

#include "core/file_io.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace lumivo {

namespace {
constexpr UserCharSize kSizes[] = {{'A', "5x7", 5}, {'B', "6x7", 6}, {'C', "4x7", 4}};
constexpr std::size_t kHeaderSize = 17 + 4;
} // namespace

std::optional<UserCharSize> UserCharSizeOfLetter(char letter) {
    for (const UserCharSize& size : kSizes) {
        if (size.letter == letter) {
            return size;
        }
    }
    return std::nullopt;
}

std::optional<UserCharSize> UserCharSizeOfText(std::string_view text) {
    for (const UserCharSize& size : kSizes) {
        if (size.text == text) {
            return size;
        }
    }
    return std::nullopt;
}

std::string UserCharCodeText(int code) {
    return "U" + Hex2(static_cast<std::uint8_t>(code));
}

UserCharRecord MakeUserCharRecord(int code, char sizeLetter,
                                  const std::array<std::uint8_t, kUserCharRows>& rows) {
    UserCharRecord record{};
    const std::string codeText = UserCharCodeText(code);
    std::memcpy(record.data(), codeText.data(), 3);
    record[3] = static_cast<std::uint8_t>(sizeLetter);
    std::copy(rows.begin(), rows.end(), record.begin() + 4);
    return record;
}

bool IsBlankRecord(const UserCharRecord& record) {
    return std::all_of(record.begin(), record.end(), [](std::uint8_t b) { return b == 0; });
}

std::string RecordCodeText(const UserCharRecord& record) {
    std::string text;
    for (std::size_t i = 0; i < 3 && record[i] != 0; ++i) {
        text += static_cast<char>(record[i]);
    }
    return text;
}

std::string RecordEntryText(const UserCharRecord& record) {
    std::string text = RecordCodeText(record) + "-";
    if (auto size = UserCharSizeOfLetter(static_cast<char>(record[3]))) {
        text += size->text;
    }
    return text;
}

std::optional<int> SignCharCodeOf(const UserCharRecord& record) {
    if (!UserCharSizeOfLetter(static_cast<char>(record[3]))) {
        return std::nullopt;
    }
    const std::string digits{static_cast<char>(record[1]), static_cast<char>(record[2])};
    int code = ParseHex(digits);
    if (code < 0) {
        code = kFirstUserCharCode;
    }
    if (code < kFirstUserCharCode || code > kLastUserCharCode) {
        return std::nullopt;
    }
    return code;
}

std::optional<Bytes> FontCharPayload(const UserCharRecord& record) {
    const std::optional<int> code = SignCharCodeOf(record);
    if (!code) {
        return std::nullopt;
    }
    Bytes payload = "<F";
    payload += static_cast<char>(record[3]);
    payload += Hex2(static_cast<std::uint8_t>(*code - kFirstUserCharCode));
    payload += '>';
    payload.append(reinterpret_cast<const char*>(record.data()) + 4, 8);
    return payload;
}

std::vector<UserCharRecord> CharactersHeldAfter(const std::vector<UserCharRecord>& held,
                                                const std::vector<UserCharRecord>& sent) {
    std::map<int, UserCharRecord> byCode;
    for (const auto* records : {&held, &sent}) {
        for (const UserCharRecord& record : *records) {
            if (const std::optional<int> code = SignCharCodeOf(record)) {
                byCode[*code] = record;
            }
        }
    }
    std::vector<UserCharRecord> result;
    for (const auto& [code, record] : byCode) {
        result.push_back(record);
    }
    return result;
}

Bytes EncodeFontFile(const std::vector<UserCharRecord>& records) {
    Bytes bytes(kFontFileMark);
    const auto count = static_cast<std::uint32_t>(records.size());
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((count >> (8 * i)) & 0xFF);
    }
    for (const UserCharRecord& record : records) {
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    return bytes;
}

Result<FontFileContents> DecodeFontFile(std::string_view bytes) {
    if (bytes.size() < kFontFileMark.size() ||
        bytes.substr(0, kFontFileMark.size()) != kFontFileMark) {
        return Error{std::string(kNotAFontFileMessage)};
    }
    FontFileContents contents;
    if (bytes.size() < kHeaderSize) {
        contents.damaged = true;
        contents.damage = "The font file is damaged: it ends before its record count.";
        return contents;
    }
    std::uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) {
        raw |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[17 + i])) << (8 * i);
    }
    const auto count = static_cast<std::int32_t>(raw);
    const std::size_t present = (bytes.size() - kHeaderSize) / kUserCharRecordSize;
    if (count < 0) {
        contents.damaged = true;
        contents.damage = "The font file is damaged: its record count is negative.";
        return contents;
    }
    std::size_t toRead = static_cast<std::size_t>(count);
    if (present < toRead) {
        contents.damaged = true;
        contents.damage = "The font file is damaged: it promises " + std::to_string(count) +
                          " characters but holds " + std::to_string(present) +
                          "; the whole ones were kept.";
        toRead = present;
    }
    contents.records.resize(toRead);
    for (std::size_t r = 0; r < toRead; ++r) {
        std::memcpy(contents.records[r].data(),
                    bytes.data() + kHeaderSize + r * kUserCharRecordSize, kUserCharRecordSize);
    }
    return contents;
}

Status WriteFontFile(const std::filesystem::path& path,
                     const std::vector<UserCharRecord>& records) {
    return WriteFileReplacing(path, EncodeFontFile(records));
}

Result<FontFileContents> ReadFontFile(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path);
    if (!bytes) {
        return bytes.error();
    }
    return DecodeFontFile(*bytes);
}

} // namespace lumivo
