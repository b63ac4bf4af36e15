#include "core/euro_picture.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lumivo {
namespace {

// The dots of a rectangle of the picture as rows of "#" and ".", separated by spaces.
std::string Dots(const EuroPicture& picture, int left, int top, int width, int height) {
    std::string text;
    for (int y = top; y < top + height; ++y) {
        if (y != top) {
            text += ' ';
        }
        for (int x = left; x < left + width; ++x) {
            text += picture.black(x, y) ? '#' : '.';
        }
    }
    return text;
}

int CellLeft(int code) {
    return (code % 10) * 57;
}
int CellTop(int code) {
    return (code / 10) * 23;
}

// The glyph box of a cell: 5 columns, 13 rows from four rows above the label's top.
std::string GlyphDots(const EuroPicture& picture, int code) {
    return Dots(picture, CellLeft(code) + 6, CellTop(code) + 3, 5, 13);
}

TEST(EuroPicture, CellUnderEachPosition) {
    const struct {
        int x, y, expected; // -1: no cell
    } table[] = {
        {0, 0, 0},       {56, 22, 0},    {57, 0, 1},     {0, 23, 10},    {399, 276, 127},
        {455, 298, 127}, {456, 276, -1}, {512, 298, -1}, {513, 276, -1}, {569, 298, -1},
        {570, 0, -1},    {0, 299, -1},   {576, 301, -1}, {-1, 5, -1},
    };
    for (const auto& row : table) {
        const std::optional<int> code = EuroCellCodeAt(row.x, row.y);
        if (row.expected < 0) {
            EXPECT_FALSE(code) << row.x << "," << row.y;
        } else {
            EXPECT_EQ(code, row.expected) << row.x << "," << row.y;
        }
    }
    EXPECT_EQ(EuroCellFrame(0), (FrameRect{1, 1, 56, 22}));
    EXPECT_EQ(EuroCellFrame(127), (FrameRect{400, 277, 455, 298}));
}

TEST(EuroPicture, BuiltInSizeAndGridLines) {
    const EuroPicture picture = BuiltInEuroPicture();
    ASSERT_EQ(picture.width(), 572);
    ASSERT_EQ(picture.height(), 301);
    for (int column = 0; column <= 10; ++column) {
        EXPECT_TRUE(picture.black(column * 57, 100)) << column;
    }
    for (int row = 0; row <= 13; ++row) {
        EXPECT_TRUE(picture.black(300, row * 23)) << row;
    }
    // The two cells after the last code hold nothing inside their lines.
    const std::string blank = Dots(EuroPicture(572, 301), 0, 0, 55, 21);
    EXPECT_EQ(Dots(picture, 457, 277, 55, 21), blank);
    EXPECT_EQ(Dots(picture, 514, 277, 55, 21), blank);
}

TEST(EuroPicture, GlyphsOfSomeCells) {
    const EuroPicture picture = BuiltInEuroPicture();
    const struct {
        int code;
        const char* dots;
    } table[] = {
        {0x00, "..... ..... ..... ..... ..##. .#..# .#... ###.. .#... .#..# ##### ..... ....."},
        {0x41, "..... ...#. ..#.. ..... .###. #...# #...# ##### #...# #...# #...# ..... ....."},
        {0x5B, "..... ..... ..... ...#. ..#.. ..... .###. ....# .#### #...# .#### ..... ....."},
        {0x46, "..... ..... ..... ..... .###. #...# #.... #.... #.... #...# .###. ..#.. .##.."},
        {0x72, "..... ..... ..... ..... .#.#. ..... #...# #...# #...# #..## .##.# ..... ....."},
        {0x45, "..#.. .#.#. ..#.. ..... .###. #...# #...# ##### #...# #...# #...# ..... ....."},
    };
    for (const auto& row : table) {
        EXPECT_EQ(GlyphDots(picture, row.code), row.dots) << std::hex << row.code;
    }
}

TEST(EuroPicture, LabelOfTheLastCell) {
    const EuroPicture picture = BuiltInEuroPicture();
    EXPECT_EQ(Dots(picture, CellLeft(127) + 26, CellTop(127) + 7, 17, 7),
              "#...#.#####.##### #...#.....#.#.... #...#....#..#.... #...#...#...####. "
              "#...#..#....#.... #...#..#....#.... .###...#....#....");
}

TEST(EuroPicture, EveryCellHasItsOwnGlyphAndLabel) {
    const EuroPicture picture = BuiltInEuroPicture();
    const EuroPicture blank(572, 301);
    std::set<std::string> glyphs;
    std::set<std::string> labels;
    for (int code = 0; code < 128; ++code) {
        const std::string glyph = Dots(picture, CellLeft(code) + 6, CellTop(code) + 1, 15, 22);
        const std::string label = Dots(picture, CellLeft(code) + 26, CellTop(code) + 7, 17, 7);
        EXPECT_NE(glyph, Dots(blank, 0, 0, 15, 22)) << code;
        glyphs.insert(glyph);
        labels.insert(label);
    }
    EXPECT_EQ(glyphs.size(), 128u);
    EXPECT_EQ(labels.size(), 128u);
}

TEST(EuroPicture, DottedFrameInvertsAndUndoes) {
    const EuroPicture original = BuiltInEuroPicture();
    EuroPicture picture = original;
    const FrameRect frame = EuroCellFrame(42);
    InvertDottedFrame(picture, frame);
    int changed = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.black(x, y) != original.black(x, y)) {
                ++changed;
                const bool onEdge = x == frame.left || x == frame.right - 1 || y == frame.top ||
                                    y == frame.bottom - 1;
                EXPECT_TRUE(onEdge) << x << "," << y;
            }
        }
    }
    // The edge of a 55 x 21 frame has 148 pixels; every other one is inverted.
    EXPECT_EQ(changed, 74);
    EXPECT_TRUE(picture.black(frame.left, frame.top) != original.black(frame.left, frame.top));
    InvertDottedFrame(picture, frame);
    EXPECT_EQ(picture, original);
}

TEST(EuroPicture, UserCharacterDrawnIntoItsCell) {
    const struct {
        UserCharRecord record;
        int cell;
        const char* dots; // 8 columns, 8 rows from the cell's strip
    } table[] = {
        {MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0}), 0x41,
         "#....... ........ ........ ........ ........ ........ ........ ........"},
        {MakeUserCharRecord(0x7F, 'B', {0xFC, 0x84, 0, 0, 0, 0, 0x84}), 0x7F,
         "######.. #....#.. ........ ........ ........ ........ #....#.. ........"},
        // Bits beyond a 4-column width are not drawn.
        {MakeUserCharRecord(0x50, 'C', {0xFF, 0, 0, 0, 0, 0, 0x90}), 0x50,
         "####.... ........ ........ ........ ........ ........ #..#.... ........"},
    };
    for (const auto& row : table) {
        EuroPicture picture = BuiltInEuroPicture();
        const EuroPicture before = picture;
        DrawUserCharRecord(picture, row.record);
        const int x0 = CellLeft(row.cell) + 6;
        const int y0 = CellTop(row.cell) + 1;
        EXPECT_EQ(Dots(picture, x0, y0, 8, 8), row.dots) << row.cell;
        // The rest of the strip is white; the label and every other cell are untouched.
        EXPECT_EQ(Dots(picture, x0 + 8, y0, 7, 22), Dots(EuroPicture(572, 301), 0, 0, 7, 22));
        EXPECT_EQ(Dots(picture, x0 + 20, y0, 17, 22), Dots(before, x0 + 20, y0, 17, 22));
        EXPECT_EQ(Dots(picture, 0, 0, 57, 23), Dots(before, 0, 0, 57, 23));
    }
}

TEST(EuroPicture, UnreadableCodeDigitsDrawIntoCell40) {
    UserCharRecord record = MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0});
    record[1] = 'x';
    EuroPicture picture = BuiltInEuroPicture();
    DrawUserCharRecord(picture, record);
    EXPECT_EQ(Dots(picture, CellLeft(0x40) + 6, CellTop(0x40) + 1, 3, 2), "#.. ...");
}

TEST(EuroPicture, BmpRoundTripAndLayout) {
    EuroPicture picture = BuiltInEuroPicture();
    DrawUserCharRecord(picture, MakeUserCharRecord(0x41, 'A', {0x80, 0x40, 0, 0, 0, 0, 0}));
    const Bytes bytes = EncodeEuroBmp(picture);
    // 62 bytes of headers and palette, 301 rows of 72 bytes.
    ASSERT_EQ(bytes.size(), 62u + 72u * 301u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 1); // bits per pixel
    EXPECT_EQ(bytes.substr(54, 8), std::string("\0\0\0\0\xFF\xFF\xFF\0", 8));
    // The last row of the file is the picture's top row: the grid line is black (index 0).
    EXPECT_EQ(bytes.substr(bytes.size() - 72, 71), std::string(71, '\0'));
    const Result<BmpHeader> header = ReadBmpHeader(bytes);
    ASSERT_TRUE(header) << header.error().message;
    EXPECT_EQ(header->bitsPerPixel, 1);
    EXPECT_EQ(SavedFormOf(*header), picture.form());
}

TEST(EuroPicture, DamagedBmpRefused) {
    const Bytes good = EncodeEuroBmp(EuroPicture(16, 4));
    Bytes fourBits = good;
    fourBits[28] = 4;
    Bytes huge = good;
    huge[21] = 0x7F;
    Bytes pastTheEnd = good;
    pastTheEnd[11] = 0x7F; // the pixels start far beyond the end of the file
    const Bytes cases[] = {good.substr(0, good.size() - 1), good.substr(0, 30), fourBits, huge,
                           "PK" + good.substr(2),           pastTheEnd};
    for (const Bytes& bytes : cases) {
        EXPECT_FALSE(ReadBmpHeader(bytes)) << bytes.size();
    }
    EXPECT_TRUE(ReadBmpHeader(good));
}

} // namespace
} // namespace lumivo
