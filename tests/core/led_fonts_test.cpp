#include "core/euro_glyphs.h"
#include "core/led_fonts.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo {
namespace {

struct FontCase {
    FontKind font;
    const char* name;
    int width;
    int height;
    int baseline; // the row under the capitals: descenders reach from here down
};

const FontCase kFontCases[] = {
    {FontKind::Font5x7, "5x7", 5, 7, 7}, {FontKind::Font6x7, "6x7", 6, 7, 7},
    {FontKind::Font4x7, "4x7", 4, 7, 7}, {FontKind::Font7x13, "7x13", 7, 13, 11},
    {FontKind::Font5x8, "5x8", 5, 8, 7},
};

std::string Row(const DotImage& image, int y) {
    std::string row;
    for (int x = 0; x < image.columns(); ++x) {
        row += image.at(x, y) == Dot::Off ? '.' : '#';
    }
    return row;
}

void PrintTo(const FontCase& font, std::ostream* out) {
    *out << font.name;
}

// A glyph as rows of "#" and ".", separated by spaces.
std::string Dots(const DotImage& image) {
    std::string text;
    for (int y = 0; y < image.rows(); ++y) {
        text += (y > 0 ? " " : "") + Row(image, y);
    }
    return text;
}

int LitDots(const DotImage& image, int fromRow = 0) {
    int count = 0;
    for (int y = fromRow; y < image.rows(); ++y) {
        for (int x = 0; x < image.columns(); ++x) {
            count += image.at(x, y) == Dot::Off ? 0 : 1;
        }
    }
    return count;
}

int LastLitRow(const DotImage& image) {
    for (int y = image.rows() - 1; y >= 0; --y) {
        for (int x = 0; x < image.columns(); ++x) {
            if (image.at(x, y) != Dot::Off) {
                return y;
            }
        }
    }
    return -1;
}

class LedFontTest : public testing::TestWithParam<FontCase> {};

TEST_P(LedFontTest, EveryPrintableByteHasAGlyphOfTheFontsSizeInRed) {
    const FontCase& font = GetParam();
    EXPECT_EQ(FontHeight(font.font), font.height);
    EXPECT_EQ(FontWidth(font.font), font.width);
    EXPECT_EQ(FontName(font.font), font.name);
    for (int code = 0x20; code <= 0x7E; ++code) {
        SCOPED_TRACE(code);
        const std::optional<DotImage> glyph = FontGlyph(font.font, static_cast<std::uint8_t>(code));
        ASSERT_TRUE(glyph.has_value());
        EXPECT_EQ(glyph->columns(), font.width);
        EXPECT_EQ(glyph->rows(), font.height);
        EXPECT_EQ(LitDots(*glyph) == 0, code == ' ');
        for (int y = 0; y < glyph->rows(); ++y) {
            for (int x = 0; x < glyph->columns(); ++x) {
                EXPECT_TRUE(glyph->at(x, y) == Dot::Off || glyph->at(x, y) == Dot::Red);
            }
        }
    }
}

TEST_P(LedFontTest, BytesOutsideTheCharacterSetsHaveNoGlyph) {
    const FontCase& font = GetParam();
    for (int code : {0x00, 0x0A, 0x1F, 0x7F, 0x80, 0xC4, 0xFF}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(FontGlyph(font.font, static_cast<std::uint8_t>(code)).has_value());
    }
    for (int code : {0x80, 0xA0, 0xFF}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(EuropeanGlyph(font.font, static_cast<std::uint8_t>(code)).has_value());
    }
}

// No two printable characters of a font may look alike on the sign: not two letters, not a
// letter and a digit, not "l", "1", "I" and "|".
TEST_P(LedFontTest, NoTwoPrintableGlyphsAreAlike) {
    const FontCase& font = GetParam();
    std::map<std::string, char> seen;
    for (int code = 0x20; code <= 0x7E; ++code) {
        const std::string dots = Dots(*FontGlyph(font.font, static_cast<std::uint8_t>(code)));
        const auto [it, added] = seen.emplace(dots, static_cast<char>(code));
        EXPECT_TRUE(added) << "'" << static_cast<char>(code) << "' looks like '" << it->second
                           << "' in " << font.name;
    }
}

// Capitals and digits stand on the baseline; only g, j, p, q and y reach under it, and only
// where the font has rows there.
TEST_P(LedFontTest, OnlyDescendersReachBelowTheBaseline) {
    const FontCase& font = GetParam();
    const std::string descenders = font.baseline < font.height ? "gjpqy" : "";
    for (char letter = 'A'; letter <= 'z'; ++letter) {
        if (!std::isalpha(static_cast<unsigned char>(letter))) {
            continue;
        }
        SCOPED_TRACE(letter);
        const DotImage glyph = *FontGlyph(font.font, static_cast<std::uint8_t>(letter));
        const bool descends = descenders.find(letter) != std::string::npos;
        EXPECT_EQ(LitDots(glyph, font.baseline) > 0, descends);
        if (!descends) {
            EXPECT_EQ(LastLitRow(glyph), font.baseline - 1);
        }
    }
}

TEST_P(LedFontTest, EveryEuropeanCharacterHasAGlyphOfTheFontsHeight) {
    const FontCase& font = GetParam();
    for (int code = 0x00; code < 0x80; ++code) {
        SCOPED_TRACE(code);
        const std::optional<DotImage> glyph =
            EuropeanGlyph(font.font, static_cast<std::uint8_t>(code));
        ASSERT_TRUE(glyph.has_value());
        EXPECT_EQ(glyph->rows(), font.height);
        EXPECT_GE(glyph->columns(), font.width);
        EXPECT_GT(LitDots(*glyph), 0);
    }
}

// An accented letter is its base letter of the same font plus its mark: as wide as the letter,
// different from it, and, for a mark above, still standing on the letter's baseline.
TEST_P(LedFontTest, AccentedLettersAreTheirBaseLetterWithAMark) {
    const FontCase& font = GetParam();
    std::map<std::string, int> seen;
    for (int code = 0x40; code < 0x80; ++code) {
        SCOPED_TRACE(code);
        const EuroAccent accent = *EuroAccentOf(code);
        const DotImage glyph = *EuropeanGlyph(font.font, static_cast<std::uint8_t>(code));
        const DotImage base = *FontGlyph(font.font, static_cast<std::uint8_t>(accent.letter));
        EXPECT_EQ(glyph.columns(), font.width);
        EXPECT_NE(Dots(glyph), Dots(base));
        const bool below = accent.mark == EuroMark::Cedilla || accent.mark == EuroMark::Ogonek;
        if (!below) {
            EXPECT_EQ(LastLitRow(glyph), LastLitRow(base));
        } else if (font.baseline < font.height) {
            // The mark hangs in the rows under the baseline.
            EXPECT_GT(LastLitRow(glyph), LastLitRow(base));
        } else {
            // No rows under the baseline: the letter moves up or gives up a row, the mark takes
            // the bottom row.
            const int bottom = font.height - 1;
            EXPECT_EQ(LastLitRow(glyph), bottom);
            EXPECT_NE(Row(glyph, bottom), Row(base, bottom));
        }
        // The same letter with two different marks must not look alike.
        const std::string key = std::string(1, accent.letter) + ':' + Dots(glyph);
        EXPECT_TRUE(seen.emplace(key, code).second) << "looks like code " << seen[key];
    }
}

// The accented letters are named by base letter and mark; codes outside 0x40..0x7F have none.
TEST(EuroAccent, NamesTheBaseLetterAndMarkOfAccentedCodes) {
    struct Case {
        int code;
        char letter;
        EuroMark mark;
    };
    const Case cases[] = {
        {0x40, 'A', EuroMark::Grave}, {0x46, 'C', EuroMark::Cedilla},
        {0x4F, 'N', EuroMark::Tilde}, {0x5F, 'a', EuroMark::Ring},
        {0x65, 'i', EuroMark::Grave}, {0x74, 'y', EuroMark::Diaeresis},
        {0x77, 'Z', EuroMark::Caron}, {0x7E, 'a', EuroMark::Ogonek},
        {0x7F, 'S', EuroMark::Acute},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const std::optional<EuroAccent> accent = EuroAccentOf(c.code);
        ASSERT_TRUE(accent.has_value());
        EXPECT_EQ(accent->letter, c.letter);
        EXPECT_EQ(accent->mark, c.mark);
    }
    for (int code : {-1, 0x00, 0x3F, 0x80}) {
        EXPECT_FALSE(EuroAccentOf(code).has_value()) << code;
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, LedFontTest, testing::ValuesIn(kFontCases),
                         [](const testing::TestParamInfo<FontCase>& info) {
                             return std::string("Font") + info.param.name;
                         });

// tests/data/golden/glyphs.tsv: font, European or printable, code, the rows of dots.
TEST(LedFontGolden, GlyphsLookAsDrawn) {
    const std::vector<test::CaseRow> cases = test::ReadCases("golden/glyphs.tsv");
    EXPECT_EQ(cases.size(), 14u);
    for (const test::CaseRow& c : cases) {
        SCOPED_TRACE("glyphs.tsv line " + std::to_string(c.line));
        ASSERT_EQ(c.fields.size(), 4u);
        std::optional<FontKind> font;
        for (const FontCase& known : kFontCases) {
            if (c.fields[0] == known.name) {
                font = known.font;
            }
        }
        ASSERT_TRUE(font.has_value()) << c.fields[0];
        const auto code = static_cast<std::uint8_t>(std::stoi(c.fields[2], nullptr, 16));
        const std::optional<DotImage> glyph =
            c.fields[1] == "1" ? EuropeanGlyph(*font, code) : FontGlyph(*font, code);
        ASSERT_TRUE(glyph.has_value());
        EXPECT_EQ(Dots(*glyph), c.fields[3]);
    }
}

} // namespace
} // namespace lumivo
