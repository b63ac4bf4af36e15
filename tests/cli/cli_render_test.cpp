#include "cli/cli_render.h"

#include "cli/cli_common.h"

#include "core/file_io.h"
#include "core/led_picture.h"
#include "core/test_support.h"
#include "core/userfont.h"
#include "image/picture_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace lumivo::cli {
namespace {

using test::TempDir;
using test::WriteBytes;

struct RenderRun {
    int status;
    std::string err;
};

class CliRender : public ::testing::Test {
protected:
    RenderRun Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunRenderCommand(args, out, err, test::DataDir() / "led" / "Graphdata");
        EXPECT_EQ(out.str(), "");
        return {status, err.str()};
    }

    static Rgb Colour(std::uint32_t argb) {
        return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                static_cast<std::uint8_t>(argb)};
    }

    TempDir m_dir;
    std::string m_out = (m_dir.path() / "sign.png").string();
};

TEST_F(CliRender, UsageErrorsWriteNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--out", m_out},
        {"Hi"},
        {"Hi", "--out", m_out, "--frames", m_dir.path().string()},
        {"Hi", "--frames", m_dir.path().string(), "--at", "1"},
        {"Hi", "there", "--out", m_out},
        {"Hi", "--text-file", "x", "--out", m_out},
        {"Hi", "--width", "15", "--out", m_out},
        {"Hi", "--width", "513", "--out", m_out},
        {"Hi", "--width", "wide", "--out", m_out},
        {"Hi", "--at", "-1", "--out", m_out},
        {"Hi", "--at", "1,5", "--out", m_out},
        {"Hi", "--at", "soon", "--out", m_out},
        {"\xE2\x82\xAC", "--out", m_out},
    };
    for (const auto& args : cases) {
        const RenderRun run = Run(args);
        EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage: lumivo-cli render"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(m_out));
}

TEST_F(CliRender, OutWritesTheFormatItsNameAsksForOrRefuses) {
    std::ifstream table(test::DataDir() / "render" / "out_formats.txt");
    std::string line;
    int cases = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        std::string expected;
        fields >> name >> expected;
        ++cases;
        const std::string out = (m_dir.path() / name).string();
        const RenderRun run = Run({"Hi", "--out", out});
        SCOPED_TRACE(name);
        if (expected == "refused") {
            EXPECT_EQ(run.status, kExitFailure);
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_NE(run.err.find(".png"), std::string::npos) << run.err;
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        ASSERT_EQ(run.status, kExitOk) << run.err;
        std::string hex;
        const Result<Bytes> read = ReadWholeFile(out);
        ASSERT_TRUE(read.ok());
        const Bytes& written = *read;
        for (std::size_t i = 0; i < expected.size() / 2 && i < written.size(); ++i) {
            static const char digits[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(written[i]);
            hex += {digits[byte >> 4], digits[byte & 15]};
        }
        EXPECT_EQ(hex, expected);
        std::filesystem::remove(out);
    }
    EXPECT_EQ(cases, 7);
}

TEST_F(CliRender, FontShowsItsUserCharactersAsTheSignWould) {
    // A solid U41 after an empty one of the same code: the later one counts.
    const std::string font = (m_dir.path() / "mine.fon").string();
    ASSERT_TRUE(WriteFontFile(
        font, {MakeUserCharRecord(0x41, 'A', {0, 0, 0, 0, 0, 0, 0}),
               MakeUserCharRecord(0x41, 'B', {0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC})}));
    const auto litColumns = [this](const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--at", "0.2", "<Immediate><U41>", "--out", m_out};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(Run(args).status, kExitOk);
        const Result<RgbPicture> picture = ReadPictureFile(m_out);
        int lit = 0;
        for (int column = 0; picture.ok() && column < 8; ++column) {
            // The lamp's centre in row 6 (the bottom row of a 7-row glyph).
            const Rgb colour = picture->at(column * 6 + 3, 6 * 6 + 3);
            lit += colour.r > 128 ? 1 : 0;
        }
        return lit;
    };
    EXPECT_EQ(litColumns({"--font", font}), 6);
    EXPECT_LT(litColumns({}), 6); // the factory glyph
    const RenderRun missing = Run({"<U41>", "--font", font + ".gone", "--out", m_out});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_NE(missing.err.find(".gone"), std::string::npos);
}

TEST_F(CliRender, APictureShowsTheLineInLampsOfSixPixels) {
    // "<Immediate>" shows the line at once; the red "I" has its top bar in columns 1..3 and the
    // green graphic's frame starts at column 6.
    ASSERT_EQ(Run({"--width", "40", "--at", "0.2", "<Immediate>I<Pic:G01>", "--out", m_out}).status,
              kExitOk);
    const Result<RgbPicture> picture = ReadPictureFile(m_out);
    ASSERT_TRUE(picture.ok()) << picture.error().message;
    EXPECT_EQ(picture->width, 40 * 6);
    EXPECT_EQ(picture->height, 16 * 6);
    struct Lamp {
        int column;
        int row;
        std::uint32_t colour;
    };
    for (const Lamp& lamp :
         {Lamp{1, 0, kRedColour}, Lamp{0, 0, kUnlitColour}, Lamp{2, 6, kRedColour},
          Lamp{6, 0, kRedColour}, Lamp{13, 1, kGreenColour}, Lamp{30, 3, kYellowColour},
          Lamp{39, 15, kUnlitColour}}) {
        EXPECT_EQ(picture->at(lamp.column * 6 + 2, lamp.row * 6 + 2), Colour(lamp.colour))
            << lamp.column << "," << lamp.row;
    }
    EXPECT_EQ(picture->at(5, 5), Colour(kBoardColour));
}

TEST_F(CliRender, FramesCoverOneRunAtTwentyFiveASecond) {
    const std::filesystem::path frames = m_dir.path() / "frames";
    WriteBytes(m_dir.path() / "line.txt", "<Immediate><Immediate><0.5Sec>I\r\n");
    ASSERT_EQ(
        Run({"--text-file", (m_dir.path() / "line.txt").string(), "--frames", frames.string()})
            .status,
        kExitOk);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(frames)) {
        EXPECT_EQ(entry.path().extension(), ".png");
        ++count;
    }
    EXPECT_EQ(count, 13); // 0.5 s: frames at 0, 0.04 .. 0.48
    EXPECT_TRUE(std::filesystem::exists(frames / "frame-0012.png"));
    const Result<RgbPicture> last = ReadPictureFile(frames / "frame-0012.png");
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last->width, 80 * 6);
}

TEST_F(CliRender, AGraphicThatCannotBeReadIsNamedAndNothingIsWritten) {
    const RenderRun run = Run({"Hi<Pic:G09>", "--out", m_out});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_NE(run.err.find("G09"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_out));
}

} // namespace
} // namespace lumivo::cli
