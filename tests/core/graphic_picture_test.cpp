#include "core/graphic_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumivo {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

TEST(ImageConversion, EdgesNotCoveredByTheBoundaryTable) {
    struct Case {
        Rgb colour;
        char letter;
    };
    const Case cases[] = {
        {{224, 255, 224}, 'D'}, {{225, 255, 225}, '@'}, // green: G = 255 and R = B <= 224
        {{176, 240, 0}, 'D'},   {{177, 240, 0}, '@'},   // green: G >= 240 and R <= 176
        {{160, 175, 160}, '@'},                         // green: third test needs G >= 176
        {{239, 176, 255}, '@'},                         // red: second test needs R >= 240
        {{255, 255, 0}, 'E'},   {{0, 0, 255}, '@'},     {{128, 128, 128}, '@'},
        {{255, 0, 0}, 'A'},     {{0, 255, 0}, 'D'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PixelLetterFromRgb(c.colour.r, c.colour.g, c.colour.b), c.letter)
            << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
    }
}

// A picture whose pixel (x, y) is red, green, yellow, white or black by (x + 2y) mod 5, so that
// a mix-up of x and y or of the order of rows shows.
RgbPicture Pattern(int width, int height) {
    const Rgb colours[] = {kRed, kGreen, kYellow, kWhite, kBlack};
    RgbPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back(colours[(x + 2 * y) % 5]);
        }
    }
    return picture;
}

TEST(GraphicPicture, ImportUsesTheTopLeftAndClearsOnlyTheGraphicArea) {
    struct Case {
        int pictureWidth, pictureHeight, width, height;
    };
    const Case cases[] = {
        {3, 2, 32, 8},   // smaller: the rest of the graphic is off
        {40, 10, 32, 7}, // larger: only its top-left 32 x 7 pixels are used
        {200, 20, 128, 8}, {130, 3, 120, 8}, {0, 0, 32, 8}, // empty picture: all cleared
    };
    const char pictureLetters[] = {'A', 'D', 'E', '@', '@'};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pictureWidth) + "x" + std::to_string(c.pictureHeight) +
                     " into " + std::to_string(c.width) + "x" + std::to_string(c.height));
        PixelStore store;
        for (int x = 0; x < PixelStore::kSize; ++x) {
            for (int y = 0; y < PixelStore::kSize; ++y) {
                store.set(x, y, 'x');
            }
        }
        ImportGraphicPicture(store, Pattern(c.pictureWidth, c.pictureHeight), c.width, c.height);
        int wrong = 0;
        for (int x = 0; x < PixelStore::kSize; ++x) {
            for (int y = 0; y < PixelStore::kSize; ++y) {
                char expected = 'x'; // beyond columns 0..127 and rows 0..15: kept
                if (x < c.pictureWidth && x < c.width && y < c.pictureHeight && y < c.height) {
                    expected = pictureLetters[(x + 2 * y) % 5];
                } else if (x < 128 && y < 16) {
                    expected = '@';
                }
                wrong += store.at(x, y) != expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(GraphicPicture, ExportShowsScreenColoursAndImportsBackUnchanged) {
    PixelStore store;
    const std::string letters = "@ADEx";
    for (int x = 0; x < 150; ++x) {
        for (int y = 0; y < 16; ++y) {
            store.set(x, y, letters[static_cast<std::size_t>(x * 3 + y) % letters.size()]);
        }
    }
    for (const auto& [width, height] : {std::pair{120, 8}, {32, 7}, {128, 16}, {150, 3}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const RgbPicture picture = ExportGraphicPicture(store, width, height);
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(picture.at(x, y), ScreenColourOfLetter(store.at(x, y))) << x << "," << y;
            }
        }
        PixelStore back;
        ImportGraphicPicture(back, picture, width, height);
        std::vector<std::string> expected = store.rows(width, height);
        for (std::string& row : expected) {
            for (char& letter : row) {
                letter = letter == 'x' ? '@' : letter; // an unknown letter exports as off
            }
        }
        EXPECT_EQ(back.rows(width, height), expected);
    }
}

std::uint32_t Field(const Bytes& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

TEST(GraphicPicture, Bmp24HeaderRowsBottomUpAndPadding) {
    for (const auto& [width, rowBytes] :
         {std::pair{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {33, 100}}) {
        SCOPED_TRACE("width " + std::to_string(width));
        const int height = 3;
        const RgbPicture picture = Pattern(width, height);
        const Bytes bmp = EncodeBmp24(picture);
        const std::size_t imageBytes = static_cast<std::size_t>(rowBytes) * height;
        ASSERT_EQ(bmp.size(), 54 + imageBytes);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Field(bmp, 2, 4), bmp.size());
        EXPECT_EQ(Field(bmp, 6, 4), 0u);
        EXPECT_EQ(Field(bmp, 10, 4), 54u); // pixel rows start right after the two headers
        EXPECT_EQ(Field(bmp, 14, 4), 40u);
        EXPECT_EQ(Field(bmp, 18, 4), static_cast<std::uint32_t>(width));
        EXPECT_EQ(Field(bmp, 22, 4), static_cast<std::uint32_t>(height)); // positive: bottom-up
        EXPECT_EQ(Field(bmp, 26, 2), 1u);
        EXPECT_EQ(Field(bmp, 28, 2), 24u);
        EXPECT_EQ(Field(bmp, 30, 4), 0u);
        EXPECT_EQ(Field(bmp, 34, 4), imageBytes);
        EXPECT_EQ(Field(bmp, 46, 4), 0u);
        for (int stored = 0; stored < height; ++stored) {
            const int y = height - 1 - stored;
            const std::size_t start = 54 + static_cast<std::size_t>(stored) * rowBytes;
            for (int x = 0; x < width; ++x) {
                const Rgb c = picture.at(x, y);
                const std::size_t at = start + static_cast<std::size_t>(x) * 3;
                EXPECT_EQ(bmp.substr(at, 3), Bytes({static_cast<char>(c.b), static_cast<char>(c.g),
                                                    static_cast<char>(c.r)}));
            }
            const std::size_t padding = static_cast<std::size_t>(rowBytes - width * 3);
            EXPECT_EQ(bmp.substr(start + static_cast<std::size_t>(width) * 3, padding),
                      Bytes(padding, '\0'));
        }
    }
    // A picture whose pixels do not fill its size is never read past its pixels.
    const Bytes empty = EncodeBmp24(RgbPicture{4, 4, {kRed}});
    EXPECT_EQ(empty.size(), 54u);
    EXPECT_EQ(Field(empty, 18, 4), 0u);
}

} // namespace
} // namespace lumivo
