#include "core/compiler.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace lumivo {
namespace {

// Serves graphics from memory and counts what was asked for.
class MemoryGraphics final : public GraphicSource {
public:
    std::map<std::string, Graphic> graphics;
    mutable std::vector<std::string> asked;

    Result<Graphic> load(std::string_view name) const override {
        asked.emplace_back(name);
        auto it = graphics.find(std::string(name));
        if (it == graphics.end()) {
            return Error{"Graphic " + std::string(name) + " cannot be read"};
        }
        return it->second;
    }
};

Graphic Filled(int width, int height, char letter = 'A') {
    return Graphic{std::vector<std::string>(static_cast<std::size_t>(height),
                                            std::string(static_cast<std::size_t>(width), letter))};
}

TEST(CompileLine, HeaderFieldsFollowFirstAndLastRules) {
    const MemoryGraphics none;
    const auto c = CompileLine("<2Sec><5Sec>a<Speed 0><Speed 2>b<Song 1><Blinking>", none);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c->compiledLine, "ab");
    EXPECT_EQ(c->displayTime, "<WC>");
    EXPECT_EQ(c->speed, "2");
    EXPECT_EQ(c->displayEffect, "<MC>");
    EXPECT_EQ(c->leadingEffect, "");
    EXPECT_EQ(c->closingEffect, "");
}

TEST(CompileLine, OnlyFirstTwoEffectsCountWhateverTheirCase) {
    const MemoryGraphics none;
    const auto c = CompileLine("<snow>a<Xopen>b<Hold>c<random>", none);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c->leadingEffect, "<Fl>");
    EXPECT_EQ(c->closingEffect, "<FB>");
    EXPECT_EQ(c->compiledLine, "abc");
}

TEST(CompileLine, PictureTagsNoteExactNamesOnlyAndBecomeBlockTags) {
    MemoryGraphics g;
    g.graphics["G03"] = Filled(64, 8);
    g.graphics["G3"] = Filled(33, 7);
    g.graphics["G16"] = Filled(128, 16);
    const auto c = CompileLine("<Pic:G03>|<Pic:G3>|<Pic:G16>|<Pic:G03>", g);
    ASSERT_TRUE(c.ok()) << c.error().message;
    EXPECT_EQ(c->compiledLine, "<GC1><GC2>|<GC1><GC2>|<GP1><GP2><GP3><GP4>|<GC1><GC2>");
    std::array<bool, 16> expected{};
    expected[2] = true;
    expected[15] = true;
    EXPECT_EQ(c->usedGraphics, expected);
}

TEST(CompileLine, GraphicNumberFallsBackToOneForNonNumericNames) {
    MemoryGraphics g;
    g.graphics["Gxy"] = Filled(32, 8);
    g.graphics["G7z"] = Filled(32, 8);
    const auto c = CompileLine("<Pic:Gxy><Pic:G7z>", g);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c->compiledLine, "<GA1><GA1>");
    EXPECT_EQ(c->usedGraphics, (std::array<bool, 16>{}));
}

TEST(CompileLine, UnreadableGraphicFailsTheWholeLineNamingIt) {
    const MemoryGraphics none;
    const auto c = CompileLine("ok<Pic:G09>", none);
    ASSERT_FALSE(c.ok());
    EXPECT_NE(c.error().message.find("G09"), std::string::npos);
}

TEST(CompileLine, ReplacementsKeepTheScanPositionRight) {
    // Each replacement changes the length of the compiled line; later tags must still be cut at
    // the right place.
    const MemoryGraphics none;
    const auto c = CompileLine("<Inversed Orange>x<Hold>y<COL 001>z<Red>", none);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c->compiledLine, "<CN>xy<N01>z<CA>");
}

TEST(FolderGraphicSource, NamesThatCouldLeaveTheFolderAreNeverRead) {
    test::TempDir dir;
    const auto inner = dir.path() / "Graphdata";
    std::filesystem::create_directories(inner);
    // A perfectly good graphic one level up: "../x" must not find it.
    test::WriteBytes(dir.path() / "x.txt",
                     std::string(32, 'A') + "\r\n" + std::string(32, 'A') + "\r\n" +
                         std::string(32, 'A') + "\r\n" + std::string(32, 'A') + "\r\n" +
                         std::string(32, 'A') + "\r\n" + std::string(32, 'A') + "\r\n" +
                         std::string(32, 'A') + "\r\n");
    const FolderGraphicSource source(inner);
    for (const char* name : {"../x", "..", "", "a/b", "G01.txt", "G 1", "/etc/passwd"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(source.load(name).ok());
    }
    const auto page = BuildPage("<Pic:../x>", 0, 'A', "01", source);
    ASSERT_FALSE(page.ok());
    EXPECT_NE(page.error().message.find("../x"), std::string::npos);
}

TEST(FolderGraphicSource, RefusesGraphicsTheSignCannotTake) {
    test::TempDir dir;
    const FolderGraphicSource source(dir.path());
    auto write = [&](const char* name, int width, int height) {
        std::string content;
        for (int y = 0; y < height; ++y) {
            content += std::string(static_cast<std::size_t>(width), 'A') + "\r\n";
        }
        test::WriteBytes(GraphicPath(dir.path(), name), content);
    };
    write("G01", 129, 8);
    write("G02", 32, 12);
    write("G03", 32, 6);
    write("G04", 128, 16);
    EXPECT_FALSE(source.load("G01").ok());
    EXPECT_FALSE(source.load("G02").ok());
    EXPECT_FALSE(source.load("G03").ok());
    EXPECT_TRUE(source.load("G04").ok());
    const auto wide = source.load("G01");
    EXPECT_NE(wide.error().message.find("G01"), std::string::npos);
}

TEST(BuildTransfer, UsedGraphicsBlocksFollowThePageInGraphicOrder) {
    MemoryGraphics g;
    g.graphics["G02"] = Filled(64, 8);
    g.graphics["G05"] = Filled(32, 16, 'D');
    const auto transfer = BuildTransfer("<Pic:G05>a<Pic:G02><Pic:G05>", 'C', "01", g);
    ASSERT_TRUE(transfer.ok()) << transfer.error().message;
    EXPECT_EQ(transfer->pageStream,
              BuildPage("<Pic:G05>a<Pic:G02><Pic:G05>", 0, 'C', "01", g)->stream);
    // G02 (letter B) before G05 (letter E): blocks 1, 2 of B, then 1 and the lower 5 of E.
    ASSERT_EQ(transfer->blockFrames.size(), 4u);
    EXPECT_EQ(transfer->blockFrames[0].substr(6, 5), "<GB1>");
    EXPECT_EQ(transfer->blockFrames[1].substr(6, 5), "<GB2>");
    EXPECT_EQ(transfer->blockFrames[2].substr(6, 5), "<GE1>");
    EXPECT_EQ(transfer->blockFrames[3].substr(6, 5), "<GE5>");

    MemoryGraphics wide;
    wide.graphics["G01"] = Filled(160, 8);
    const auto refused = BuildTransfer("<Pic:G01>", 'A', "01", wide);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("G01"), std::string::npos);
}

TEST(BuildPage, EmptyLineIsTheDefaultPageWithOneBlank) {
    const MemoryGraphics none;
    const auto page = BuildPage("", 0, 'Z', "7F", none);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page->stream.substr(0, 31), "<ID7F><L1><PZ><FE><MA><WC><FE> ");
    EXPECT_TRUE(none.asked.empty());
}

TEST(BuildPage, LineNumberIsWrittenOneBased) {
    const MemoryGraphics none;
    const auto page = BuildPage("x", 1, 'A', "01", none);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page->stream.substr(6, 4), "<L2>");
}

} // namespace
} // namespace lumivo
