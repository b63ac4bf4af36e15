#include "core/frame.h"
#include "core/userfont.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace lumivo {
namespace {

using namespace std::string_literals;

TEST(UserChar, RecordOfTheTopLeftPixel) {
    const UserCharRecord r = MakeUserCharRecord(0x40, 'A', {0x80, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(r[0], 'U');
    EXPECT_EQ(r[1], '4');
    EXPECT_EQ(r[2], '0');
    EXPECT_EQ(r[3], 'A');
    EXPECT_EQ(r[4], 0x80);
    for (std::size_t i = 5; i < r.size(); ++i) {
        EXPECT_EQ(r[i], 0) << i;
    }
    EXPECT_EQ(RecordEntryText(r), "U40-5x7");
    EXPECT_EQ(RecordEntryText(UserCharRecord{}), "-");
    EXPECT_TRUE(IsBlankRecord(UserCharRecord{}));
    EXPECT_FALSE(IsBlankRecord(r));
}

TEST(UserChar, SizesByLetterAndText) {
    EXPECT_EQ(UserCharSizeOfLetter('A')->width, 5);
    EXPECT_EQ(UserCharSizeOfLetter('B')->text, "6x7");
    EXPECT_EQ(UserCharSizeOfText("4x7")->letter, 'C');
    EXPECT_FALSE(UserCharSizeOfLetter('D'));
    EXPECT_FALSE(UserCharSizeOfText("7x7"));
}

TEST(FontCharPayload, WorkedExampleFrame) {
    const UserCharRecord r = MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0});
    const auto payload = FontCharPayload(r);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->size(), 14u);
    const std::string expected = "\x3C\x49\x44\x30\x31\x3E\x3C\x46\x41\x30\x31\x3E\x80\x00\x00\x00"
                                 "\x00\x00\x00\x00\x38\x34\x3C\x45\x3E"s;
    EXPECT_EQ(BuildFrame(*payload, "01"), expected);
}

TEST(FontCharPayload, UnreadableDigitsCountAsFirstCodeAndOddRecordsAreNotSent) {
    UserCharRecord r = MakeUserCharRecord(0x7F, 'C', {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(FontCharPayload(r)->substr(0, 6), "<FC3F>");
    r[1] = 'x';
    EXPECT_EQ(FontCharPayload(r)->substr(0, 6), "<FC00>");
    r[3] = 'Z';
    EXPECT_FALSE(FontCharPayload(r));
    EXPECT_FALSE(FontCharPayload(UserCharRecord{}));
    EXPECT_FALSE(FontCharPayload(MakeUserCharRecord(0x20, 'A', {})));
}

TEST(FontFile, EmptyListIsTheMarkAndAZeroCount) {
    const Bytes bytes = EncodeFontFile({});
    EXPECT_EQ(bytes, "LEDFONTModal58204\0\0\0\0"s);
    const auto back = DecodeFontFile(bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back->records.empty());
    EXPECT_FALSE(back->damaged);
}

TEST(FontFile, RoundTripThroughAFileKeepsOrderAndClearedRecords) {
    test::TempDir dir;
    const std::vector<UserCharRecord> records = {
        MakeUserCharRecord(0x7F, 'B', {0xFC, 0, 0, 0, 0, 0, 0x84}), UserCharRecord{},
        MakeUserCharRecord(0x40, 'C', {0xF0, 0x90, 0x90, 0x90, 0x90, 0x90, 0xF0})};
    const auto path = dir.path() / "mine.fon";
    ASSERT_TRUE(WriteFontFile(path, records).ok());
    EXPECT_EQ(std::filesystem::file_size(path), 21u + 3u * 52u);
    const auto back = ReadFontFile(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->records, records);
    EXPECT_FALSE(back->damaged);
}

TEST(FontFile, DamagedFilesKeepOnlyWholeRecords) {
    const std::vector<UserCharRecord> three(3,
                                            MakeUserCharRecord(0x41, 'A', {1, 1, 1, 1, 1, 1, 1}));
    const Bytes good = EncodeFontFile(three);

    const auto cut = DecodeFontFile(good.substr(0, good.size() - 10));
    ASSERT_TRUE(cut.ok());
    EXPECT_TRUE(cut->damaged);
    EXPECT_EQ(cut->records.size(), 2u);

    Bytes absurd = good;
    absurd[17] = '\xFF';
    absurd[18] = '\xFF';
    absurd[19] = '\xFF';
    absurd[20] = '\x7F';
    const auto big = DecodeFontFile(absurd);
    ASSERT_TRUE(big.ok());
    EXPECT_TRUE(big->damaged);
    EXPECT_EQ(big->records.size(), 3u);

    Bytes negative = good;
    negative[20] = '\x80';
    const auto neg = DecodeFontFile(negative);
    ASSERT_TRUE(neg.ok());
    EXPECT_TRUE(neg->damaged);
    EXPECT_TRUE(neg->records.empty());

    const auto header = DecodeFontFile("LEDFONTModal58204\x01"s);
    ASSERT_TRUE(header.ok());
    EXPECT_TRUE(header->damaged);

    // Extra bytes after the promised records are ignored, as the count says.
    const auto extra = DecodeFontFile(good + "junk");
    ASSERT_TRUE(extra.ok());
    EXPECT_FALSE(extra->damaged);
    EXPECT_EQ(extra->records.size(), 3u);
}

TEST(FontFile, WrongMarkIsRefusedWithItsText) {
    for (const Bytes& bytes : {""s, "LEDFONTModal5820"s, "ledfontmodal58204\0\0\0\0"s}) {
        const auto r = DecodeFontFile(bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().message, " This font file is not for LED Display Modal58204");
    }
}

} // namespace
} // namespace lumivo
