#include "core/rtf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace lumivo {
namespace {

constexpr RtfColour kRed{255, 0, 0};
constexpr RtfColour kBlack{};

// Consecutive characters of one style, so expectations read like the line in the editor.
struct StyleRun {
    std::string text;
    RtfColour colour;
    bool bold = false;
    bool operator==(const StyleRun&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const StyleRun& r) {
        return os << '"' << r.text << "\" rgb(" << int(r.colour.r) << ',' << int(r.colour.g) << ','
                  << int(r.colour.b) << ')' << (r.bold ? " bold" : "");
    }
};

std::vector<StyleRun> Runs(const RtfDocument& document) {
    std::vector<StyleRun> runs;
    for (const StyledChar& c : document.chars) {
        if (runs.empty() || runs.back().colour != c.colour || runs.back().bold != c.bold) {
            runs.push_back(StyleRun{"", c.colour, c.bold});
        }
        runs.back().text += c.byte;
    }
    return runs;
}

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(LUMIVO_TEST_DATA_DIR) + "/rtf/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RtfDocument ReadOk(std::string_view bytes) {
    Result<RtfDocument> read = ReadRtf(bytes);
    EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.error().message);
    return read.ok() ? *read : RtfDocument{};
}

TEST(RtfRoundTrip, EveryByteColourAndWeightSurvives) {
    RtfDocument document;
    for (int b = 0; b < 256; ++b) {
        document.chars.push_back({static_cast<char>(b), b % 3 ? kBlack : kRed, b % 5 == 0});
    }
    const std::string rtf = WriteRtf(document);
    EXPECT_EQ(ReadOk(rtf), document);
    for (char c : rtf) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "non-ASCII bytes are written as \\'hh";
    }
    EXPECT_NE(rtf.find("{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}"), rtf.npos);
    EXPECT_NE(rtf.find("{\\*\\generator Lumivo 2.1;}\\viewkind4\\uc1"), rtf.npos);
    EXPECT_TRUE(rtf.ends_with("\\par\r\n}\r\n"));
}

TEST(RtfRoundTrip, LineBreaksAndSwitchesOnlyWhereStyleChanges) {
    RtfDocument document = RtfDocument::fromText("<Red>", kRed);
    for (const StyledChar& c : RtfDocument::fromText("ab\r\ncd\re\nf\r\n").chars) {
        document.chars.push_back(c);
    }
    document.chars.push_back({'\r', kRed, true}); // a break whose halves differ in style
    document.chars.push_back({'\n', kBlack, false});
    const std::string rtf = WriteRtf(document);
    EXPECT_EQ(ReadOk(rtf), document);
    EXPECT_NE(rtf.find("\\cf1 <Red>\\cf2 ab\\par\r\ncd\\'0de\\'0af\\par\r\n"), rtf.npos) << rtf;
    for (const RtfDocument& edge :
         {RtfDocument{}, RtfDocument::fromText("\r\n"), RtfDocument::fromText("{x}\\ \t 1")}) {
        EXPECT_EQ(ReadOk(WriteRtf(edge)), edge);
    }
}

TEST(RtfSamples, DocumentsOfBothDialectsRead) {
    const std::string bells = "<Bell 1Sec>";
    const std::string world = " world{x}\\\ty";
    const std::string gb = "\xC4\xE3\xBA\xC3"
                           "AB\xCA\xC0\xBD\xE7";
    const std::string unicode = "A\xE9"
                                "B\x80"
                                "C?D\xF1"
                                "EF\xD6\xD0GAH\xFCI\xE9J";
    const std::string ignorable = "Tab\tx\xA0y-zw {lit}\\afterlink\r\nnext";
    const struct {
        const char* file;
        std::vector<StyleRun> runs;
    } cases[] = {
        {"old_dialect.lmv",
         {{"<Red>", kRed}, {"Caf\xE9 ", kBlack}, {bells, kRed, true}, {"end\r\nsecond", kBlack}}},
        {"new_dialect.lmv",
         {{"<Xopen>", kRed}, {"Hello ", kBlack}, {"<Speed 1>", kRed, true}, {world, kBlack}}},
        {"gb2312.lmv", {{"<Red>", kRed}, {gb, kBlack}}},
        {"unicode.lmv", {{unicode, kBlack}}},
        {"ignorable.lmv",
         {{"<Red>", kRed}, {ignorable, kBlack}, {"bold", kBlack, true}, {"done", kBlack}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Runs(ReadOk(ReadData(c.file))), c.runs) << c.file;
    }
}

TEST(RtfSamples, PlainTextIsEveryByteBlack) {
    const std::string bytes = ReadData("plain_text.lmv");
    EXPECT_FALSE(LooksLikeRtf(bytes));
    EXPECT_EQ(ReadOk(bytes), RtfDocument::fromText(bytes));
    EXPECT_EQ(ReadOk(" {\\rtf1 x}").text(), " {\\rtf1 x}");
}

TEST(RtfSamples, ColourTableIndexing) {
    const std::string older = "{\\rtf1{\\colortbl\\red255\\green0\\blue0;\\red0\\green0\\blue900;}";
    EXPECT_EQ(Runs(ReadOk(older + "\\cf0 a\\cf1 b\\cf7 c\\cf0\\plain d}")),
              (std::vector<StyleRun>{{"a", kRed}, {"b", {0, 0, 255}}, {"cd", kBlack}}));
    EXPECT_EQ(Runs(ReadOk("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 a\\cf0 b}")),
              (std::vector<StyleRun>{{"a", kRed}, {"b", kBlack}}));
}

TEST(RtfBroken, EveryPrefixOfASampleIsPlainTextOrAnErrorUntilTheLastBrace) {
    for (const char* file :
         {"old_dialect.lmv", "new_dialect.lmv", "gb2312.lmv", "unicode.lmv", "ignorable.lmv"}) {
        const std::string bytes = ReadData(file);
        const RtfDocument full = ReadOk(bytes);
        const std::size_t complete = bytes.rfind('}') + 1;
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            const std::string_view prefix(bytes.data(), n);
            const Result<RtfDocument> read = ReadRtf(prefix);
            if (n < 5) {
                ASSERT_TRUE(read.ok() && *read == RtfDocument::fromText(prefix)) << file << n;
            } else if (n < complete) {
                ASSERT_FALSE(read.ok()) << file << " prefix " << n;
            } else {
                ASSERT_TRUE(read.ok() && *read == full) << file << " prefix " << n;
            }
        }
    }
}

TEST(RtfBroken, DamagedFilesGiveDefinedResults) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte += static_cast<char>(b);
    }
    for (const char* file : {"truncated.lmv", "unbalanced_open.lmv", "huge_bin.lmv"}) {
        EXPECT_FALSE(ReadRtf(ReadData(std::string("broken/") + file)).ok()) << file;
    }
    const struct {
        const char* file;
        std::string text;
    } readable[] = {{"extra_close.lmv", "abc"},
                    {"huge_u.lmv", "a?b?c\xE9"
                                   "B"},
                    {"bad_hex.lmv", "azzb4"},
                    {"control_bytes.lmv", std::string("\0\1\xFF", 3)},
                    {"empty.lmv", ""},
                    {"not_rtf.lmv", everyByte}};
    for (const auto& r : readable) {
        EXPECT_EQ(ReadOk(ReadData(std::string("broken/") + r.file)).text(), r.text) << r.file;
    }
}

TEST(RtfBroken, LimitsOnNestingAndWordLength) {
    const auto nested = [](int depth, const std::string& inner) {
        return "{\\rtf1" + std::string(depth - 1, '{') + inner + std::string(depth, '}');
    };
    EXPECT_EQ(ReadOk(nested(kMaxRtfGroupDepth, "x")).text(), "x");
    EXPECT_FALSE(ReadRtf(nested(kMaxRtfGroupDepth + 1, "x")).ok());
    EXPECT_FALSE(ReadRtf(nested(100000, "x")).ok());
    EXPECT_FALSE(ReadRtf("{\\rtf1" + std::string(100000, '{')).ok());
    EXPECT_EQ(ReadOk("{\\rtf1 a\\par" + std::string(1000, 'x') + "12 b}").text(), "ab");
    EXPECT_EQ(ReadOk("{\\rtf1 a\\cf99999999999999999999999\\b9999999999999999 b}").chars.back(),
              (StyledChar{'b', kBlack, true}));
}

// Mutated samples: whatever reads must write and read back to the same document.
TEST(RtfBroken, MutatedSamplesNeverBreakTheRoundTrip) {
    std::mt19937 random(20240601);
    const std::string seeds[] = {ReadData("new_dialect.lmv"), ReadData("ignorable.lmv"),
                                 ReadData("unicode.lmv")};
    const std::string alphabet = "{}\\';?\r\n0123456789-*aubcfparbin ";
    int readable = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = seeds[i % 3];
        for (int m = 0; m < 3; ++m) {
            const std::size_t at = 5 + random() % (bytes.size() - 5);
            bytes[at] = alphabet[random() % alphabet.size()];
        }
        const Result<RtfDocument> read = ReadRtf(bytes);
        if (read.ok()) {
            ++readable;
            ASSERT_EQ(ReadOk(WriteRtf(*read)), *read) << bytes;
        }
    }
    EXPECT_GT(readable, 300);
}

} // namespace
} // namespace lumivo
