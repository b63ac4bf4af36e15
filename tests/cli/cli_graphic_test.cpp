#include "cli/cli_graphic.h"

#include "core/graphic.h"
#include "core/graphic_picture.h"
#include "core/test_support.h"
#include "image/picture_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace lumivo::cli {
namespace {

using test::TempDir;
using test::WriteBytes;

struct GraphicRun {
    int status;
    std::string out;
    std::string err;
};

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliGraphic : public ::testing::Test {
protected:
    void SetUp() override {
        // Columns: red, green, yellow, white; rows 0..1 only, 4 pixels wide.
        const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {255, 255, 255}};
        RgbPicture picture{4, 2, {}};
        for (int i = 0; i < 8; ++i) {
            picture.pixels.push_back(colours[i % 4]);
        }
        ASSERT_TRUE(WritePictureFile(m_picture, picture).ok());
    }

    GraphicRun Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunGraphicCommand(args, out, err, m_graphics);
        return {status, out.str(), err.str()};
    }

    TempDir m_dir;
    std::filesystem::path m_graphics = m_dir.path() / "Graphdata";
    std::filesystem::path m_picture = m_dir.path() / "four.png";
};

TEST_F(CliGraphic, UsageErrorsChangeNothing) {
    const std::string picture = m_picture.string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"paint"},
        {"import", "--width", "32", "--height", "8", picture},
        {"import", "--number", "0", "--width", "32", "--height", "8", picture},
        {"import", "--number", "17", "--width", "32", "--height", "8", picture},
        {"import", "--number", "x", "--width", "32", "--height", "8", picture},
        {"import", "--number", "1", "--width", "33", "--height", "8", picture},
        {"import", "--number", "1", "--width", "160", "--height", "8", picture},
        {"import", "--number", "1", "--width", "32", "--height", "16", picture},
        {"import", "--number", "1", "--width", "32", "--height", "6", picture},
        {"import", "--number", "1", "--width", "32", picture},
        {"import", "--number", "1", "--width", "32", "--height", "8"},
        {"import", "--number", "1", "--width", "32", "--height", "8", picture, picture},
        {"import", "--number", "1", "--number", "2", "--width", "32", "--height", "8", picture},
        {"export", "--number", "1"},
        {"export", "--number", "99", "out.bmp"},
        {"export", "--number", "1", "--width", "32", "out.bmp"},
        {"import", "--number", "1", "--width", "32", "--height", "8", "--colours", "near", picture},
        {"export", "--bogus", "--number", "1", "out.bmp"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& a : args) {
            shown += " " + a;
        }
        SCOPED_TRACE(shown);
        const GraphicRun r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("lumivo-cli graphic: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("usage: lumivo-cli graphic"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(m_graphics));
    EXPECT_EQ(Run({"--help"}).out.rfind("usage: lumivo-cli graphic import", 0), 0u);
}

TEST_F(CliGraphic, ImportMakesTheGraphicAndCreatesTheFolder) {
    for (const auto& [width, height] : {std::pair{"32", 7}, {"120", 8}}) {
        SCOPED_TRACE(width);
        const GraphicRun r = Run({"import", "--number", "5", "--width", width, "--height",
                                  std::to_string(height), m_picture.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
        const std::string rest(std::stoul(width) - 4, '@');
        std::string expected = "ADE@" + rest + "\r\nADE@" + rest + "\r\n";
        for (int y = 2; y < height; ++y) {
            expected += std::string(std::stoul(width), '@') + "\r\n";
        }
        EXPECT_EQ(Contents(m_graphics / "G05.txt"), expected);
    }
}

TEST_F(CliGraphic, ColoursNearestGivesSoftColoursTheirNearestDot) {
    // Orange-yellow, a soft red, pale grey: all off by the conversion rule.
    const RgbPicture soft{3, 1, {{250, 200, 30}, {180, 50, 50}, {190, 190, 200}}};
    const auto picture = m_dir.path() / "soft.bmp";
    ASSERT_TRUE(WritePictureFile(picture, soft).ok());
    for (const auto& [colours, first] : {std::pair{"rule", "@@@"}, {"nearest", "EA@"}}) {
        SCOPED_TRACE(colours);
        const GraphicRun r = Run({"import", "--number", "1", "--width", "32", "--height", "7",
                                  "--colours", colours, picture.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Contents(m_graphics / "G01.txt").substr(0, 4), std::string(first) + "@");
    }
}

TEST_F(CliGraphic, FileErrorsNameTheFileAndKeepTheGraphic) {
    std::filesystem::create_directory(m_graphics);
    std::string g02;
    for (int y = 0; y < 7; ++y) {
        g02 += "ADE" + std::string(29, '@') + "\r\n";
    }
    WriteBytes(m_graphics / "G02.txt", g02);
    WriteBytes(m_dir.path() / "bad.bmp", "BMnot really");
    // A 400 x 400 BMP with 100 bytes of pixels, and a whole one whose pixels would begin past
    // its end: a reader would fill both in blank.
    const Bytes whole = EncodeBmp24(RgbPicture{400, 400, std::vector<Rgb>(400 * 400, {255, 0, 0})});
    const std::string cut = (m_dir.path() / "cut.bmp").string();
    WriteBytes(cut, whole.substr(0, 54 + 100));
    Bytes pastEnd = whole;
    pastEnd[12] = '\x7f'; // the data offset's third byte
    const std::string offset = (m_dir.path() / "offset.bmp").string();
    WriteBytes(offset, pastEnd);
    const std::string bad = (m_dir.path() / "bad.bmp").string();
    const std::string missing = (m_dir.path() / "missing.png").string();
    const std::string folderAsFile = (m_dir.path() / "four.png" / "Graphdata").string();
    struct Case {
        std::vector<std::string> args;
        std::string errPart;
    };
    const std::vector<Case> cases = {
        {{"import", "--number", "2", "--width", "32", "--height", "8", bad}, bad},
        {{"import", "--number", "2", "--width", "32", "--height", "8", missing}, missing},
        {{"import", "--number", "2", "--width", "32", "--height", "8", cut},
         cut + ": the pixel data is cut short"},
        {{"import", "--number", "2", "--width", "32", "--height", "8", offset},
         offset + ": the pixel data would begin at byte"},
        {{"import", "--number", "2", "--width", "32", "--height", "8", "--graphics", folderAsFile,
          m_picture.string()},
         folderAsFile},
        {{"export", "--number", "3", "out.bmp"}, "Graphic G03 cannot be read"},
        {{"export", "--number", "2", (m_dir.path() / "none" / "x.png").string()},
         (m_dir.path() / "none" / "x.png").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.errPart);
        const GraphicRun r = Run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("lumivo-cli graphic ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
    }
    EXPECT_EQ(Contents(m_graphics / "G02.txt"), g02);
}

} // namespace
} // namespace lumivo::cli
