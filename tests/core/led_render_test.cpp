#include "core/led_picture.h"
#include "core/led_render.h"

#include "core/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace lumivo {
namespace {

const std::filesystem::path kLedData = test::DataDir() / "led";

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the golden pictures are drawn with: the graphics of tests/data/led/Graphdata, user
// character 0x41 (a 4x7 hollow box with a bar), and the clock at Monday 7 December 2026 14:05:09.
SignMemory GoldenMemory() {
    SignMemory memory = MemoryFromGraphics(FolderGraphicSource(kLedData / "Graphdata"));
    memory.userCharacters[0x41] = {'C', {0xF0, 0x90, 0x90, 0xF0, 0x90, 0x90, 0xF0}};
    memory.clock = ClockFromDigits("26021207140509");
    return memory;
}

// The rows top..top + count - 1 of a picture.
DotImage Rows(const DotImage& image, int top, int count) {
    DotImage part(image.columns(), count);
    for (int y = 0; y < count; ++y) {
        for (int x = 0; x < image.columns(); ++x)
            part.set(x, y, image.at(x, top + y));
    }
    return part;
}

bool IsBlank(const DotImage& image) {
    for (int y = 0; y < image.rows(); ++y) {
        for (int x = 0; x < image.columns(); ++x) {
            if (image.at(x, y) != Dot::Off)
                return false;
        }
    }
    return true;
}

// Every tests/data/led/static/NAME.line (the line's text, "\xHH" for other bytes) is drawn and
// compared with NAME.dots.
TEST(LedRender, StaticDotsMatchTheGoldenPictures) {
    const SignMemory memory = GoldenMemory();
    int cases = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kLedData / "static")) {
        if (entry.path().extension() != ".line")
            continue;
        ++cases;
        std::string line = ReadText(entry.path());
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        const std::string expected =
            ReadText(std::filesystem::path(entry.path()).replace_extension(".dots"));
        EXPECT_EQ(DotImageText(RenderLineDots(test::Unescape(line), memory)), expected)
            << entry.path().filename().string();
    }
    EXPECT_GE(cases, 15);
}

// Each tests/data/led/effects/NAME.txt holds a stored line ("stored ...", run on a sign of 16
// columns), then frames: "lead F" or "close F" (F: 0..1 of the way through that effect), then
// the line's 8 rows of dots.
TEST(LedRender, EffectFramesMatchTheGoldenPictures) {
    const SignMemory memory;
    int effects = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kLedData / "effects")) {
        std::istringstream in(ReadText(entry.path()));
        std::string word;
        std::string stored;
        in >> word >> stored;
        ASSERT_EQ(word, "stored") << entry.path();
        const PageAnimation animation(stored, memory, SignGeometry{16});
        ++effects;
        std::string phase;
        double fraction = 0;
        while (in >> phase >> fraction) {
            std::string dots;
            std::string row;
            std::getline(in, row);
            for (int y = 0; y < kLineRows && std::getline(in, row); ++y)
                dots += row + "\n";
            const double start =
                phase == "lead" ? 0.0 : animation.duration() - animation.closingSeconds();
            const double length =
                phase == "lead" ? animation.leadingSeconds() : animation.closingSeconds();
            const double at = std::min(start + fraction * length, animation.duration() - 1e-9);
            const DotImage frame = animation.frameAt(at);
            EXPECT_EQ(DotImageText(Rows(frame, 0, kLineRows)), dots)
                << entry.path().filename().string() << " " << phase << " " << fraction;
            EXPECT_TRUE(IsBlank(Rows(frame, kLineRows, kLineRows))) << entry.path();
        }
    }
    EXPECT_EQ(effects, 18);
}

TEST(LedRender, StoredLinesGiveTheirHeader) {
    struct Case {
        std::string_view stored;
        Effect leading;
        Effect closing;
        int displayEffect;
        int speed;
        double seconds;
        std::string_view text;
    };
    const Case cases[] = {
        {"<FE><MA><WC><FE>Hi", Effect::ScrollLeft, Effect::ScrollLeft, 0, 3, 2.0, "Hi"},
        {"<FB><MA><WD><FK><CA>Sale", Effect::Xopen, Effect::Hold, 0, 3, 3.0, "<CA>Sale"},
        {"<Fb><Mr><WA><Fe>x", Effect::Xopen, Effect::ScrollLeft, 1, 0, 0.5, "x"},
        {"<FP><Mb><WZ><FS>", Effect::Random, Effect::Logo, 1, 1, 25.0, ""},
        {"<FQ><MR><WB><FR>", Effect::HelloWorld, Effect::Welcome, 1, 2, 1.0, ""},
        {"<FN><ME><WB><FM>", Effect::BlockMove, Effect::Twinkle, 4, 3, 1.0, ""},
        // Not the four codes: all text under the default header.
        {"Hello", Effect::ScrollLeft, Effect::ScrollLeft, 0, 3, 2.0, "Hello"},
        {"<FE><MA><WC>Hi", Effect::ScrollLeft, Effect::ScrollLeft, 0, 3, 2.0, "<FE><MA><WC>Hi"},
        // Codes of letters that name nothing keep the defaults.
        {"<FO><Mz><W1><FT>Hi", Effect::ScrollLeft, Effect::ScrollLeft, 0, 3, 2.0, "Hi"},
    };
    for (const Case& c : cases) {
        const auto [header, text] = SplitStoredLine(c.stored);
        EXPECT_EQ(header.leading, c.leading) << c.stored;
        EXPECT_EQ(header.closing, c.closing) << c.stored;
        EXPECT_EQ(header.displayEffect, c.displayEffect) << c.stored;
        EXPECT_EQ(header.speed, c.speed) << c.stored;
        EXPECT_DOUBLE_EQ(header.displaySeconds, c.seconds) << c.stored;
        EXPECT_EQ(text, c.text) << c.stored;
    }
}

TEST(LedRender, ClockDigitsAreReadOnlyWhenComplete) {
    const auto clock = ClockFromDigits("26021207140509");
    ASSERT_TRUE(clock);
    EXPECT_EQ(*clock, (SignClock{2026, 12, 7, 14, 5, 9, 2}));
    for (std::string_view bad : {"", "2602120714050", "260212071405099", "26021207 40509"})
        EXPECT_FALSE(ClockFromDigits(bad)) << bad;
    // Without a clock the date and time fields show dashes.
    EXPECT_EQ(RenderLineDots("<KT>", {}), RenderLineDots("--:--", {}));
    EXPECT_EQ(RenderLineDots("<KD>", {}), RenderLineDots("--/--/--", {}));
}

// A run is the leading effect, the moving on of a long line, the display time and the closing
// effect, each at the page's speed.
TEST(LedRender, RunsLastAsLongAsTheirParts) {
    const std::string wide(40, 'W'); // 240 columns
    struct Case {
        std::string stored;
        int columns;
        double seconds;
    };
    const Case cases[] = {
        {"<FA><MA><WA><FK>Hi", 80, 0.5},
        {"<FE><MA><WC><FE>Hi", 80, 0.025 * 80 * 2 + 2},
        {"<FE><Mq><WB><FF>Hi", 16, 0.080 * 16 * 2 + 1},
        {"<FC><Ma><WB><FD>Hi", 16, 0.055 * 24 * 2 + 1},
        {"<FA><MQ><WB><FA>" + wide, 80, 0.040 * 160 + 1},
        {"<FQ><MA><WB><FA>Hi", 80, 3 + 1},
    };
    for (const Case& c : cases) {
        const PageAnimation animation(c.stored, {}, SignGeometry{c.columns});
        EXPECT_NEAR(animation.duration(), c.seconds, 1e-9) << c.stored;
    }
}

TEST(LedRender, FramesWrapAndKeepTheSignSize) {
    const PageAnimation animation("<FE><MA><WB><FJ>H<CD>i", {}, SignGeometry{16});
    const double run = animation.duration();
    for (double t : {0.1, 0.3, 0.7, 1.5}) {
        EXPECT_EQ(animation.frameAt(t), animation.frameAt(t + run)) << t;
        EXPECT_EQ(animation.frameAt(-t), animation.frameAt(run - t)) << t;
    }
    EXPECT_EQ(animation.frameAt(std::nan("")), animation.frameAt(0));
    for (int columns : {0, 16, 80, 512, 9999}) {
        const DotImage frame = PageAnimation("Hi", {}, SignGeometry{columns}).frameAt(1);
        EXPECT_EQ(frame.columns(), std::clamp(columns, kMinSignColumns, kMaxSignColumns));
        EXPECT_EQ(frame.rows(), kSignRows);
    }
}

TEST(LedRender, ALongLineMovesOnToItsEndAndStaysThereForItsDisplayTime) {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += static_cast<char>('A' + i % 26);
    const PageAnimation animation("<FA><MA><WB><FA>" + text, {}, SignGeometry{80});
    const DotImage& content = animation.content();
    ASSERT_EQ(content.columns(), 2000 * 6);
    const auto window = [&](int offset) {
        DotImage part(80, kSignRows);
        for (int y = 0; y < kLineRows; ++y) {
            for (int x = 0; x < 80; ++x)
                part.set(x, y, content.at(offset + x, y));
        }
        return part;
    };
    EXPECT_EQ(animation.frameAt(0), window(0));
    EXPECT_EQ(animation.frameAt(animation.shownAt() + 0.5), window(content.columns() - 80));
    const double halfway = animation.shownAt() / 2;
    const DotImage middle = animation.frameAt(halfway);
    EXPECT_NE(middle, window(0));
    EXPECT_NE(middle, window(content.columns() - 80));
}

TEST(LedRender, BlinkingDarkensTheSecondHalfOfEverySecond) {
    const PageAnimation blinking("<FA><MB><WD><FA>Hi", {}, SignGeometry{16});
    const PageAnimation steady("<FA><MA><WD><FA>Hi", {}, SignGeometry{16});
    for (double t : {0.25, 1.25, 2.4}) {
        EXPECT_FALSE(IsBlank(blinking.frameAt(t))) << t;
        EXPECT_TRUE(IsBlank(blinking.frameAt(t + 0.5))) << t;
        EXPECT_FALSE(IsBlank(steady.frameAt(t + 0.5))) << t;
    }
}

TEST(LedRender, RandomPicksOneOrdinaryEffectFixedByThePage) {
    std::set<Effect> picked;
    for (int i = 0; i < 60; ++i) {
        const std::string stored = "<FP><MA><WB><Fp>page " + std::to_string(i);
        const PageAnimation animation(stored, {}, SignGeometry{});
        EXPECT_LT(animation.leadingEffect(), Effect::Random) << stored;
        EXPECT_LT(animation.closingEffect(), Effect::Random) << stored;
        EXPECT_EQ(PageAnimation(stored, {}, SignGeometry{}).leadingEffect(),
                  animation.leadingEffect());
        picked.insert(animation.leadingEffect());
    }
    EXPECT_GE(picked.size(), 8u);
}

class MissingGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view name) const override {
        return Error{"Graphic " + std::string(name) + " cannot be read"};
    }
};

// The test graphics, G01 also under the name "G1".
class AliasGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view name) const override {
        return m_folder.load(name == "G1" ? "G01" : name);
    }

private:
    FolderGraphicSource m_folder{kLedData / "Graphdata"};
};

TEST(LedRender, AnimatedLinesCarryWhatASendWouldTransfer) {
    const AliasGraphics graphics;
    // <Pic:G01> is transferred with the page; <Pic:G1> names the same blocks but is not.
    const auto sent = AnimateLine("<Immediate><Pic:G01>", graphics, {}, SignGeometry{32});
    const auto unsent = AnimateLine("<Immediate><Pic:G1>", graphics, {}, SignGeometry{32});
    ASSERT_TRUE(sent.ok());
    ASSERT_TRUE(unsent.ok());
    EXPECT_EQ(sent->leadingEffect(), Effect::Immediate);
    EXPECT_EQ(sent->content(), RenderLineDots("<GA1>", GoldenMemory()));
    EXPECT_EQ(sent->content().at(0, 0), Dot::Red);
    EXPECT_TRUE(IsBlank(unsent->content()));
    // A line typed over several editor lines is one sign line.
    const auto joined = AnimateLine("H\r\ni", graphics, {}, SignGeometry{});
    ASSERT_TRUE(joined.ok());
    EXPECT_EQ(joined->content(), RenderLineDots("Hi", {}));

    const auto failed = AnimateLine("A<Pic:G07>", MissingGraphics(), {}, SignGeometry{});
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().message.find("G07"), std::string::npos);
}

TEST(LedRender, TheSignShowsLineTwoBelowLineOneUnlessLineOneIsTall) {
    const SignMemory memory = GoldenMemory();
    const std::string one = "<FA><MA><WB><FA>I";
    const std::string two = "<FA><MA><WC><FA><CD>I";
    const SignDisplay both({{2, two}, {1, one}}, memory, SignGeometry{16});
    const DotImage frame = both.frameAt(0.2);
    EXPECT_EQ(Rows(frame, 0, kLineRows),
              Rows(PageAnimation(one, memory, SignGeometry{16}).frameAt(0.2), 0, kLineRows));
    EXPECT_EQ(Rows(frame, kLineRows, kLineRows),
              Rows(PageAnimation(two, memory, SignGeometry{16}).frameAt(0.2), 0, kLineRows));
    EXPECT_NE(Rows(frame, 0, kLineRows), Rows(frame, kLineRows, kLineRows));
    EXPECT_DOUBLE_EQ(both.duration(), 2.0);

    const std::string tallLine = "<FA><MA><WB><FA><GB1>";
    const SignDisplay tall({{1, tallLine}, {2, two}}, memory, SignGeometry{32});
    EXPECT_EQ(tall.frameAt(0.2), PageAnimation(tallLine, memory, SignGeometry{32}).frameAt(0.2));
    EXPECT_TRUE(IsBlank(SignDisplay({}, memory, SignGeometry{}).frameAt(3)));
}

TEST(LedPicture, DotsAreRoundLampsInTheSignsColours) {
    const DotImage dots = DotImageFromText("RG\nY.\n");
    const ArgbPicture picture = DrawLedPicture(dots, {6, 100});
    ASSERT_EQ(picture.width, 12);
    ASSERT_EQ(picture.height, 12);
    ASSERT_EQ(picture.pixels.size(), 144u);
    const auto at = [&](int x, int y) {
        return picture.pixels[static_cast<std::size_t>(y * 12 + x)];
    };
    struct Pixel {
        int x;
        int y;
        std::uint32_t colour;
    };
    for (const Pixel& p : {
             Pixel{2, 2, kRedColour},   // the middle of each lamp
             Pixel{8, 2, kGreenColour}, //
             Pixel{2, 8, kYellowColour},
             Pixel{8, 8, kUnlitColour},
             Pixel{0, 0, kBoardColour}, // corners are board: the lamps are round
             Pixel{4, 0, kBoardColour},
             Pixel{5, 2, kBoardColour}, // and a column of board between lamps
             Pixel{0, 2, kRedColour},
         }) {
        EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
    // Dimmed lamps lie between unlit and full, and the unlit ones stay as they are.
    const ArgbPicture dim = DrawLedPicture(dots, {6, 25});
    const std::uint32_t dimRed = dim.pixels[2 * 12 + 2];
    EXPECT_NE(dimRed, kRedColour);
    EXPECT_GT((dimRed >> 16) & 0xFF, (kUnlitColour >> 16) & 0xFF);
    EXPECT_LT((dimRed >> 16) & 0xFF, (kRedColour >> 16) & 0xFF);
    EXPECT_EQ(dim.pixels[8 * 12 + 8], kUnlitColour);
}

} // namespace
} // namespace lumivo
