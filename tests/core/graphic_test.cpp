#include "core/compiler.h"
#include "core/graphic.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace lumivo {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(GraphicLines, EveryLineEndAndALastLineWithoutOne) {
    EXPECT_EQ(SplitGraphicLines("ab\r\ncd\r\n"), (Lines{"ab", "cd"}));
    EXPECT_EQ(SplitGraphicLines("ab\ncd"), (Lines{"ab", "cd"}));
    EXPECT_EQ(SplitGraphicLines("ab\rcd\r"), (Lines{"ab", "cd"}));
    EXPECT_EQ(SplitGraphicLines("ab\r\n\r\ncd"), (Lines{"ab", "", "cd"}));
    EXPECT_EQ(SplitGraphicLines("ab\n\rcd"), (Lines{"ab", "", "cd"}));
    EXPECT_EQ(SplitGraphicLines(""), Lines{});
}

TEST(GraphicFile, WritesCrLfAndReadsBackInEveryLineEnding) {
    test::TempDir dir;
    const Lines rows(7, "A@DE" + std::string(28, '@'));
    const auto path = GraphicPath(dir.path(), "G05");
    ASSERT_TRUE(WriteGraphicFile(path, rows).ok());
    const auto read = ReadGraphicFile(path);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->rows, rows);

    std::string lf;
    for (const auto& r : rows) {
        lf += r + "\n";
    }
    lf.pop_back(); // last line without an end
    test::WriteBytes(path, lf);
    EXPECT_EQ(ReadGraphicFile(path)->rows, rows);
}

TEST(GraphicFile, ShapesAreRefusedWhereTheyCannotGoSayingWhatIsWrong) {
    struct Case {
        const char* why;
        Lines rows;
        const char* storeRefusal; // null: the store holds it
        const char* signRefusal;  // null: the sign takes it
    };
    const std::string row(32, 'A');
    Lines shorter(8, row);
    shorter[5].pop_back();
    Lines longer(8, row);
    longer[7] += "A";
    const std::vector<Case> cases = {
        {"no rows", {}, "empty", "empty"},
        {"empty first row", Lines(8, ""), "empty", "empty"},
        {"161 wide", Lines(8, std::string(161, 'A')), "161 x 8", "161 x 8"},
        {"161 rows", Lines(161, row), "32 x 161", "32 x 161"},
        {"shorter later row", shorter, "row 6 has 31 dots", "row 6 has 31 dots"},
        {"longer later row", longer, "row 8 has 33 dots", "row 8 has 33 dots"},
        {"six rows", Lines(6, row), nullptr, "6 rows, too few"},
        {"nine rows", Lines(9, row), nullptr, "9 rows"},
        {"fifteen rows", Lines(15, row), nullptr, "15 rows"},
        {"seventeen rows", Lines(17, row), nullptr, "17 rows"},
        {"160 wide", Lines(8, std::string(160, 'A')), nullptr, "160 dots wide"},
        {"seven rows", Lines(7, row), nullptr, nullptr},
        {"eight rows", Lines(8, std::string(128, 'A')), nullptr, nullptr},
        {"sixteen rows", Lines(16, row), nullptr, nullptr},
    };
    const auto expect = [](const Status& status, const char* refusal) {
        if (refusal == nullptr) {
            EXPECT_TRUE(status.ok()) << status.error().message;
            return;
        }
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().message.rfind("Graphic G09 ", 0), 0u) << status.error().message;
        EXPECT_NE(status.error().message.find(refusal), std::string::npos)
            << status.error().message;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        expect(CheckGraphicShape(Graphic{c.rows}, "G09"), c.storeRefusal);
        expect(CheckGraphicForSign(Graphic{c.rows}, "G09"), c.signRefusal);
    }
}

TEST(GraphicFile, MissingFileIsAnError) {
    test::TempDir dir;
    const auto r = ReadGraphicFile(dir.path() / "G01.txt");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("G01.txt"), std::string::npos);
}

TEST(GraphicFolder, OnlyRegularFilesInsideTheFolderAreReadAndRefusalsNameOnlyTheGraphic) {
    test::TempDir dir;
    const fs::path real = dir.path() / "real";
    const fs::path folder = real / "Graphdata";
    fs::create_directories(folder / "sub");
    std::string graphic;
    for (int y = 0; y < 8; ++y) {
        graphic += std::string(32, 'A') + "\r\n";
    }
    const fs::path outside = dir.path() / "elsewhere.txt";
    test::WriteBytes(outside, graphic);
    test::WriteBytes(folder / "G01.txt", graphic);
    test::WriteBytes(folder / "sub" / "deep.txt", graphic);
    ASSERT_EQ(mkfifo((folder / "G07.txt").c_str(), 0600), 0);
    struct Link {
        const char* name;
        fs::path target;
    };
    for (const Link& link : std::vector<Link>{{"G02", "/etc/passwd"},
                                              {"G03", outside},
                                              {"G04", "../../elsewhere.txt"},
                                              {"G05", dir.path() / "missing.txt"},
                                              {"G06", "G01.txt"},
                                              {"G08", "sub/deep.txt"},
                                              {"G09", "../Graphdata/G01.txt"}}) {
        fs::create_symlink(link.target, GraphicPath(folder, link.name));
    }
    // The folder itself may be reached through a link.
    const fs::path linkedFolder = dir.path() / "Graphdata";
    fs::create_directory_symlink(folder, linkedFolder);

    for (const fs::path& root : {folder, linkedFolder}) {
        SCOPED_TRACE(root.string());
        const FolderGraphicSource source(root);
        for (const char* name : {"G01", "G06", "G08", "G09"}) {
            const Result<Graphic> read = source.load(name);
            EXPECT_TRUE(read.ok()) << name << ": " << read.error().message;
        }
        for (const char* name : {"G02", "G03", "G04", "G05"}) {
            const Result<Graphic> read = source.load(name);
            ASSERT_FALSE(read.ok()) << name;
            EXPECT_EQ(read.error().message,
                      "Graphic " + std::string(name) +
                          " cannot be read: not a file inside the graphics folder");
        }
        // A FIFO inside the folder is refused at once instead of waiting for a writer.
        const auto fifo =
            test::ReadWithinTwoSeconds(folder / "G07.txt", [&] { return source.load("G07"); });
        ASSERT_TRUE(fifo.has_value()) << "the read waited";
        ASSERT_FALSE(fifo->ok());
        EXPECT_EQ(fifo->error().message, "Graphic G07 cannot be read: Cannot read " +
                                             GraphicPath(root, "G07").string() +
                                             ": not a regular file");
        // An ordinary missing graphic still names its file and the reason.
        const Result<Graphic> missing = source.load("G10");
        ASSERT_FALSE(missing.ok());
        EXPECT_EQ(missing.error().message, "Graphic G10 cannot be read: Cannot open " +
                                               GraphicPath(root, "G10").string() +
                                               ": No such file or directory");
    }
}

TEST(GraphicList, ExactNamesOnlyAndNoFolders) {
    test::TempDir dir;
    for (const char* f : {"G01.txt", "G16.txt", "g02.txt", "G1.txt", "G17.txt", "G03.TXT",
                          "G04.txt.bak", "notes.txt"}) {
        test::WriteBytes(dir.path() / f, "A\r\n");
    }
    std::filesystem::create_directories(dir.path() / "G05.txt");
    auto names = ListGraphics(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"G01", "G16"}));
    EXPECT_TRUE(ListGraphics(dir.path() / "missing").empty());
}

TEST(GraphicNames, NumbersLettersAndSafety) {
    EXPECT_EQ(GraphicName(1), "G01");
    EXPECT_EQ(GraphicName(16), "G16");
    EXPECT_EQ(GraphicNumberOfName("G07"), 7);
    EXPECT_FALSE(GraphicNumberOfName("G7"));
    EXPECT_FALSE(GraphicNumberOfName("G17"));
    EXPECT_FALSE(GraphicNumberOfName("g07"));
    EXPECT_EQ(GraphicLetter(1), 'A');
    EXPECT_EQ(GraphicLetter(16), 'P');
    EXPECT_TRUE(IsSafeGraphicName("G3"));
    EXPECT_FALSE(IsSafeGraphicName("../G01"));
    EXPECT_FALSE(IsSafeGraphicName(""));
}

TEST(Blocks, CountsTagsAndOrder) {
    EXPECT_EQ(BlockCount(32), 1);
    EXPECT_EQ(BlockCount(33), 2);
    EXPECT_EQ(BlockCount(120), 4);
    EXPECT_EQ(BlockCount(128), 4);
    EXPECT_EQ(BlockTags(3, 64), "<GC1><GC2>");
    EXPECT_EQ(BlockTags(2, 120), "<GB1><GB2><GB3><GB4>");
    EXPECT_EQ(BlockTags(16, 33), "<GP1><GP2>");
    EXPECT_EQ(BlockOrder(Graphic{Lines(16, std::string(64, '@'))}), (std::vector<int>{1, 2, 5, 6}));
    EXPECT_EQ(BlockOrder(Graphic{Lines(8, std::string(120, '@'))}), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(BlockOrder(Graphic{Lines(7, std::string(1, '@'))}), (std::vector<int>{1}));
}

TEST(Blocks, PackPixels) {
    EXPECT_EQ(PackPixels("AAAAAAAA"), (std::array<std::uint8_t, 2>{0xAA, 0xAA}));
    EXPECT_EQ(PackPixels("DDDDDDDD"), (std::array<std::uint8_t, 2>{0x55, 0x55}));
    EXPECT_EQ(PackPixels("EEEEEEEE"), (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
    EXPECT_EQ(PackPixels("A@@@@@@D"), (std::array<std::uint8_t, 2>{0x80, 0x01}));
    EXPECT_EQ(PackPixels("xyz@BCFG"), (std::array<std::uint8_t, 2>{0x00, 0x00}));
}

TEST(Blocks, PayloadLayoutColumnsGroupsAndPadding) {
    // 120 wide: the right 8 columns of block 4 are unlit; row 0 red only in column 119.
    Lines rows(8, std::string(120, '@'));
    rows[0][119] = 'A';
    rows[3][96] = 'E';
    const Graphic g{rows};
    const auto padded = PadRowsToBlocks(g);
    ASSERT_EQ(padded[0].size(), 128u);
    const Bytes p = GraphicBlockPayload('C', 4, padded, 8);
    ASSERT_EQ(p.size(), 5u + 64u);
    EXPECT_EQ(p.substr(0, 5), "<GC4>");
    auto byteAt = [&](int group, int row, int half) {
        return static_cast<std::uint8_t>(
            p[5 + static_cast<std::size_t>(group * 16 + row * 2 + half)]);
    };
    EXPECT_EQ(byteAt(2, 0, 1), 0x02); // column 119 = group 2, pixel 7
    EXPECT_EQ(byteAt(0, 3, 0), 0xC0); // column 96 = group 0, pixel 0, yellow
    EXPECT_EQ(byteAt(3, 0, 0), 0x00); // padding
    int lit = 0;
    for (std::size_t i = 5; i < p.size(); ++i) {
        lit += p[i] != 0;
    }
    EXPECT_EQ(lit, 2);
}

TEST(Blocks, SevenRowGraphicsHaveAnUnlitEighthRowAndTallOnesUseTheirLowerHalf) {
    const Graphic seven{Lines(7, std::string(32, 'E'))};
    const Bytes p7 = GraphicBlockPayload('A', 1, PadRowsToBlocks(seven), 7);
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(p7[5 + static_cast<std::size_t>(g * 16 + 14)], '\0');
        EXPECT_EQ(static_cast<std::uint8_t>(p7[5 + static_cast<std::size_t>(g * 16 + 12)]), 0xFF);
    }
    Lines tall(16, std::string(64, '@'));
    tall[8][33] = 'D';
    const Bytes p6 = GraphicBlockPayload('B', 6, PadRowsToBlocks(Graphic{tall}), 16);
    EXPECT_EQ(p6.substr(0, 5), "<GB6>");
    EXPECT_EQ(static_cast<std::uint8_t>(p6[5]), 0x10); // lower block 6, row 8, column 33
    const Bytes p2 = GraphicBlockPayload('B', 2, PadRowsToBlocks(Graphic{tall}), 16);
    EXPECT_EQ(p2.substr(5), std::string(64, '\0'));
}

TEST(PixelStore, LoadKeepsCellsOutsideAndRowsReadBack) {
    PixelStore store;
    EXPECT_EQ(store.at(159, 159), '@');
    store.load(Graphic{Lines(8, std::string(64, 'A'))});
    store.load(Graphic{Lines(7, std::string(32, 'D'))});
    EXPECT_EQ(store.at(31, 6), 'D');
    EXPECT_EQ(store.at(32, 0), 'A'); // the wider graphic's columns stay
    EXPECT_EQ(store.at(0, 7), 'A');  // and its eighth row
    EXPECT_EQ(store.rows(64, 8)[0], std::string(32, 'D') + std::string(32, 'A'));
    store.set(140, 20, 'E');
    store.clear(128, 16);
    EXPECT_EQ(store.at(63, 7), '@');
    EXPECT_EQ(store.at(140, 20), 'E');
    // Column-major: neighbouring cells of one column are next to each other.
    store.set(1, 0, 'A');
    EXPECT_EQ(store.at(0, 1), '@');
}

TEST(ImageConversion, RuleBoundariesAndRoundTrip) {
    EXPECT_EQ(PixelLetterFromRgb(255, 224, 224), 'A');
    EXPECT_EQ(PixelLetterFromRgb(255, 225, 225), '@');
    EXPECT_EQ(PixelLetterFromRgb(255, 255, 128), 'E');
    EXPECT_EQ(PixelLetterFromRgb(255, 255, 129), '@');
    EXPECT_EQ(PixelLetterFromRgb(192, 160, 160), 'A');
    EXPECT_EQ(PixelLetterFromRgb(191, 160, 160), '@');
    EXPECT_EQ(PixelLetterFromRgb(160, 176, 160), 'D');
    EXPECT_EQ(PixelLetterFromRgb(80, 48, 48), 'A');
    EXPECT_EQ(PixelLetterFromRgb(80, 49, 48), '@');
    EXPECT_EQ(PixelLetterFromRgb(64, 80, 64), 'D');
    EXPECT_EQ(PixelLetterFromRgb(65, 80, 64), '@');
    EXPECT_EQ(PixelLetterFromRgb(240, 176, 255), 'A');
    EXPECT_EQ(PixelLetterFromRgb(0, 0, 0), '@');
    EXPECT_EQ(PixelLetterFromRgb(255, 255, 255), '@');
    for (char letter : {'@', 'A', 'D', 'E', 'x'}) {
        const Rgb c = ScreenColourOfLetter(letter);
        EXPECT_EQ(PixelLetterFromRgb(c.r, c.g, c.b), letter == 'x' ? '@' : letter);
    }
}

} // namespace
} // namespace lumivo
