#include "core/compiler.h"
#include "core/tags.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <random>

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

// The slow, literal reading of the scan: each finished tag is replaced in place in a copy of the
// line and the scan position moved by the change of length. What one tag becomes, and which
// header code it carries, is learnt by compiling that tag alone. nullopt when a tag fails.
std::optional<Compilation> CompileTagByTagInPlace(std::string_view line, const GraphicSource& g) {
    Compilation c;
    c.compiledLine = line;
    std::string tag;
    bool inTag = false;
    std::size_t pos = 0;
    std::size_t tagStart = 0;
    for (const char ch : line) {
        ++pos;
        if (ch == '<') {
            tag = "<";
            tagStart = pos;
            inTag = true;
        } else if (inTag && ch == '>') {
            inTag = false;
            tag += '>';
            const Result<Compilation> one = CompileLine(tag, g);
            if (!one) {
                return std::nullopt;
            }
            c.compiledLine.replace(tagStart - 1, tag.size(), one->compiledLine);
            pos = pos - tag.size() + one->compiledLine.size();
            if (!one->leadingEffect.empty() && c.leadingEffect.empty()) {
                c.leadingEffect = one->leadingEffect;
            } else if (!one->leadingEffect.empty() && c.closingEffect.empty()) {
                c.closingEffect = one->leadingEffect;
            }
            c.displayEffect = c.displayEffect.empty() ? one->displayEffect : c.displayEffect;
            c.displayTime = c.displayTime.empty() ? one->displayTime : c.displayTime;
            c.speed = one->speed.empty() ? c.speed : one->speed;
            for (std::size_t i = 0; i < c.usedGraphics.size(); ++i) {
                c.usedGraphics[i] = c.usedGraphics[i] || one->usedGraphics[i];
            }
        } else if (inTag) {
            tag += ch;
        }
    }
    return c;
}

TEST(CompileLine, OnePassAgreesWithReplacingEachTagInPlace) {
    MemoryGraphics g;
    g.graphics["G01"] = Filled(96, 8);
    g.graphics["G3"] = Filled(40, 8);
    // Whole tags of every kind, sign codes (which must never be rescanned), broken tags, lone
    // brackets, line breaks and high bytes, glued together at random and sometimes cut.
    std::vector<std::string> pieces = {"<COL 009>", "<COL 256>", "<COL 7>", "<Pic:G01>",
                                       "<Pic:G3>",  "<Pic:G09>", "<",       ">",
                                       "<<",        "x",         "\r\n",    "\xE9"};
    for (TagTable table : {InlineTags(), EffectTags(), LowerCaseEffectTags(), DisplayEffectTags(),
                           SpeedTags(), DisplayTimeTags()}) {
        for (const TagEntry& entry : table) {
            pieces.emplace_back(entry.tag);
            pieces.emplace_back(entry.code);
        }
    }
    std::mt19937 random(20240611);
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    int failed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string line;
        for (std::size_t n = below(30); n > 0; --n) {
            const std::string& piece = pieces[below(pieces.size())];
            line += below(6) == 0 ? piece.substr(below(piece.size())) : piece;
        }
        const std::optional<Compilation> expected = CompileTagByTagInPlace(line, g);
        const Result<Compilation> got = CompileLine(line, g);
        ASSERT_EQ(got.ok(), expected.has_value()) << line;
        if (!expected) {
            ++failed;
            continue;
        }
        EXPECT_EQ(got->compiledLine, expected->compiledLine) << line;
        EXPECT_EQ(got->leadingEffect, expected->leadingEffect) << line;
        EXPECT_EQ(got->closingEffect, expected->closingEffect) << line;
        EXPECT_EQ(got->displayEffect, expected->displayEffect) << line;
        EXPECT_EQ(got->displayTime, expected->displayTime) << line;
        EXPECT_EQ(got->speed, expected->speed) << line;
        EXPECT_EQ(got->usedGraphics, expected->usedGraphics) << line;
    }
    // Both outcomes were tried often.
    EXPECT_GT(failed, 100);
    EXPECT_LT(failed, 2900);
}

TEST(CompileLine, TimeGrowsWithTheLineNotWithTheSquareOfItsTags) {
    MemoryGraphics g;
    g.graphics["G01"] = Filled(64, 8);
    // Each tag alone, repeated to a megabyte, and what one repetition compiles to.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<Red>", "<CA>"},  {"<Hold>", ""}, {"<COL 010>", "<N0A>"},    {"<Pic:G01>", "<GA1><GA2>"},
        {"<red>", "<red>"}, {"<<x", "<<x"}, {"ab<Font5x8>", "ab<AF>"},
    };
    constexpr std::size_t kMegabyte = 1 << 20;
    for (const auto& [unit, compiled] : cases) {
        SCOPED_TRACE(unit);
        const std::size_t count = kMegabyte / unit.size();
        std::string line;
        line.reserve(kMegabyte);
        for (std::size_t i = 0; i < count; ++i) {
            line += unit;
        }
        const auto start = std::chrono::steady_clock::now();
        const Result<Page> page = BuildPage(line, 0, 'A', "01", g);
        const auto took = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(page.ok());
        EXPECT_EQ(page->compilation.compiledLine.size(), count * compiled.size());
        EXPECT_EQ(page->compilation.compiledLine.substr(0, compiled.size()), compiled);
        EXPECT_LT(took, std::chrono::seconds(1));
    }
    // A picture shown many times is read once.
    EXPECT_EQ(std::count(g.asked.begin(), g.asked.end(), "G01"), 1);
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
