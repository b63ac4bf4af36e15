#pragma once

#include "core/bytes.h"
#include "core/result.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// The 52-byte record of one user character: "U", two hex digits of the code, the size letter,
// seven row bytes (bit 7 the leftmost column), then zeros. Never drawn or cleared: all zero.
inline constexpr std::size_t kUserCharRecordSize = 52;
using UserCharRecord = std::array<std::uint8_t, kUserCharRecordSize>;

inline constexpr int kUserCharRows = 7;
inline constexpr int kFirstUserCharCode = 0x40;
inline constexpr int kLastUserCharCode = 0x7F;

// Cell sizes: "A" 5x7, "B" 6x7, "C" 4x7.
struct UserCharSize {
    char letter;
    std::string_view text;
    int width;
};
std::optional<UserCharSize> UserCharSizeOfLetter(char letter);
std::optional<UserCharSize> UserCharSizeOfText(std::string_view text);

// "U41" for 0x41.
std::string UserCharCodeText(int code);

// A record for the code and size with the given row bytes.
UserCharRecord MakeUserCharRecord(int code, char sizeLetter,
                                  const std::array<std::uint8_t, kUserCharRows>& rows);

bool IsBlankRecord(const UserCharRecord& record);

// The list text of a record as a font file gives it: bytes 0..2 up to a zero byte, "-", the
// size text of byte 3 (empty for an unknown letter). A cleared record gives "-".
std::string RecordEntryText(const UserCharRecord& record);

// The first three bytes as text up to a zero byte ("U41").
std::string RecordCodeText(const UserCharRecord& record);

// The 14-byte font character payload: "<F" + size letter + character number (code - 0x40, two
// hex digits) + ">" + record bytes 4..11. Code digits that are not hexadecimal count as 0x40.
// A record whose size letter or code no sign character has gives nullopt: it is not sent.
std::optional<Bytes> FontCharPayload(const UserCharRecord& record);

// The code (0x40..0x7F) under which a sign keeps the record's character; nullopt for a record
// that is not sent (blank, an unknown size letter, a code beyond the user characters).
std::optional<int> SignCharCodeOf(const UserCharRecord& record);

// The characters a sign holds once `sent` reached it on top of `held`: one record per code, a
// later one replacing an earlier one of the same code whatever its size, in code order; records
// that are not sent are left out.
std::vector<UserCharRecord> CharactersHeldAfter(const std::vector<UserCharRecord>& held,
                                                const std::vector<UserCharRecord>& sent);

// The font file kept beside the European character picture: the characters the sign holds as
// the program last sent them, written with the picture by every font transfer and emptied by the
// recall of the default font. The preview draws user characters from it.
inline constexpr std::string_view kSentUserFontFile = "EuroCharForm58204.fon";

// User font files: the 17-byte mark, a little-endian 32-bit record count, the records.
inline constexpr std::string_view kFontFileMark = "LEDFONTModal58204";
inline constexpr std::string_view kNotAFontFileMessage =
    " This font file is not for LED Display Modal58204";

Bytes EncodeFontFile(const std::vector<UserCharRecord>& records);

struct FontFileContents {
    std::vector<UserCharRecord> records;
    // Set when the count and the file disagree (short file, negative count): only the whole
    // records that are present were kept.
    bool damaged = false;
    std::string damage;
};

// Fails with kNotAFontFileMessage when the mark is missing.
Result<FontFileContents> DecodeFontFile(std::string_view bytes);

Status WriteFontFile(const std::filesystem::path& path, const std::vector<UserCharRecord>& records);
Result<FontFileContents> ReadFontFile(const std::filesystem::path& path);

} // namespace lumivo
