// Case tables of tests/data/pictures: BMP headers checked against the file's size, and the
// nearest dot colour of a pixel.

#include "core/graphic.h"
#include "core/graphic_picture_check.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace lumivo {
namespace {

// The table's lines without comments and blank lines.
std::vector<std::string> CaseLines(const char* name) {
    std::ifstream in(test::DataDir() / "pictures" / name);
    EXPECT_TRUE(in) << name;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

void PutLittleEndian(std::string& out, std::size_t at, std::int64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

TEST(PictureCases, BmpHeadersAgainstTheFileSize) {
    const std::vector<std::string> lines = CaseLines("bmp_headers.txt");
    ASSERT_GE(lines.size(), 10u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        std::istringstream fields(line);
        std::int64_t width, height, bits, compression, offset, pad, pixels, dataSize;
        fields >> width >> height >> bits >> compression >> offset >> pad >> pixels >> dataSize;
        std::string expected;
        std::getline(fields >> std::ws, expected);
        ASSERT_FALSE(expected.empty());

        std::string bmp(static_cast<std::size_t>(54 + pad + pixels), '\x11');
        bmp[0] = 'B';
        bmp[1] = 'M';
        PutLittleEndian(bmp, 2, static_cast<std::int64_t>(bmp.size()), 4);
        PutLittleEndian(bmp, 6, 0, 4);
        PutLittleEndian(bmp, 10, offset, 4);
        PutLittleEndian(bmp, 14, 40, 4);
        PutLittleEndian(bmp, 18, width, 4);
        PutLittleEndian(bmp, 22, height, 4);
        PutLittleEndian(bmp, 26, 1, 2);
        PutLittleEndian(bmp, 28, bits, 2);
        PutLittleEndian(bmp, 30, compression, 4);
        PutLittleEndian(bmp, 34, dataSize, 4);

        const Status checked = CheckPictureBytes(bmp, {16384, 1u << 24});
        if (expected == "ok") {
            EXPECT_TRUE(checked.ok()) << checked.error().message;
        } else {
            ASSERT_FALSE(checked.ok());
            EXPECT_NE(checked.error().message.find(expected), std::string::npos)
                << checked.error().message;
        }
    }
}

TEST(PictureCases, NearestDotColour) {
    const std::vector<std::string> lines = CaseLines("nearest_colours.txt");
    ASSERT_GE(lines.size(), 10u);
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        int r, g, b;
        char letter = 0;
        fields >> r >> g >> b >> letter;
        EXPECT_EQ(NearestPixelLetter(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                     static_cast<std::uint8_t>(b)),
                  letter)
            << line;
    }
}

} // namespace
} // namespace lumivo
