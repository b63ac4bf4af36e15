// The European character picker offscreen: choosing cells, the frame, Insert and the picture file.

#include "core/file_io.h"
#include "support/window_test_support.h"
#include "userfont/euro_char_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace lumivo;
using namespace lumivo::test;

namespace {

struct Bench {
    RecordingHost host;
    userfont::TuEuropeanCharForm window;

    explicit Bench(const std::filesystem::path& pictureFile = {})
        : window(nullptr, &host, pictureFile) {
        window.showPicker();
    }

    userfont::EuroPictureArea* area() {
        return window.findChild<userfont::EuroPictureArea*>(QStringLiteral("Image1"));
    }
    QString label() { return window.findChild<QLabel*>(QStringLiteral("Label1"))->text(); }
    void press(int x, int y) { QTest::mousePress(area(), Qt::LeftButton, {}, QPoint(x, y)); }
    void insert() {
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Insert")), Qt::LeftButton);
    }
    // Whether the screen shows pixel (x, y) other than the picture has it.
    bool inverted(int x, int y) {
        const bool shownBlack = area()->shownImage().pixel(x, y) == qRgb(0, 0, 0);
        return shownBlack != window.picture().black(x, y);
    }
};

std::filesystem::path PathIn(const QTemporaryDir& dir, const char* name) {
    return std::filesystem::path(dir.path().toStdString()) / name;
}

} // namespace

TEST(EuroCharForm, ControlsAsCreated) {
    Bench b;
    ASSERT_EQ(b.window.windowTitle(), QStringLiteral("European Char Form"));
    ASSERT_EQ(b.area()->size(), QSize(577, 302));
    ASSERT_TRUE(b.area()->parentWidget()->objectName() == QStringLiteral("Panel1"));
    ASSERT_EQ(b.window.findChild<QPushButton*>(QStringLiteral("Insert"))->text(),
              QStringLiteral("Insert"));
    ASSERT_EQ(b.window.findChild<QPushButton*>(QStringLiteral("Cancel"))->text(),
              QStringLiteral("Cancel"));
    auto* label = b.window.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_TRUE(label->font().bold());
    ASSERT_EQ(label->font().pixelSize(), 16);
    ASSERT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    ASSERT_TRUE(b.label().isEmpty());
    ASSERT_EQ(b.window.picture(), BuiltInEuroPicture());
    // The screen shows the picture unscaled from its top left corner.
    const QImage grabbed = b.area()->grab().toImage();
    for (const QPoint at :
         {QPoint(0, 0), QPoint(57, 40), QPoint(6 + 1, 7), QPoint(571, 300), QPoint(300, 150)}) {
        const bool black = grabbed.pixelColor(at) == QColor(0, 0, 0);
        ASSERT_TRUE(black == b.window.picture().black(at.x(), at.y()))
            << qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y()));
    }
    if (qEnvironmentVariableIsSet("LUMIVO_SCREENSHOT_DIR")) {
        b.window.grab().save(qEnvironmentVariable("LUMIVO_SCREENSHOT_DIR") +
                             QStringLiteral("/euro-char-form.png"));
    }
}

TEST(EuroCharForm, PressChoosesTheCellUnderIt) {
    // Each press after the one before it; the label shows the last cell chosen.
    const struct {
        QPoint at;
        const char* label;
    } presses[] = {
        {{10, 10}, "U00"},   {{56, 22}, "U00"},   {{57, 0}, "U01"},
        {{455, 298}, "U7F"}, {{460, 280}, "U7F"}, // empty cell 128
        {{569, 290}, "U7F"},                      // empty cell 129
        {{400, 285}, "U7F"}, {{0, 23}, "U0A"},    {{512, 285}, "U0A"},
        {{573, 5}, "U0A"}, // beyond the grid
        {{300, 120}, "U37"},
    };
    Bench b;
    for (const auto& press : presses) {
        b.press(press.at.x(), press.at.y());
        ASSERT_EQ(b.label(), QString::fromLatin1(press.label));
    }
}

TEST(EuroCharForm, FrameMovesWithTheChoice) {
    Bench b;
    ASSERT_TRUE(!b.inverted(1, 1));
    b.press(10, 10);
    ASSERT_TRUE(b.inverted(1, 1));
    ASSERT_TRUE(!b.inverted(400, 277));
    b.press(420, 290);
    ASSERT_TRUE(!b.inverted(1, 1));
    ASSERT_TRUE(b.inverted(400, 277));
    // A press on an empty cell leaves the frame where it was.
    b.press(460, 290);
    ASSERT_TRUE(b.inverted(400, 277));
    ASSERT_TRUE(!b.inverted(457, 277));
    // The frame is only on the screen: the picture itself never holds it.
    ASSERT_EQ(b.window.picture(), BuiltInEuroPicture());
}

TEST(EuroCharForm, InsertPutsTheChosenTag) {
    Bench b;
    b.insert();
    b.press(300, 140); // column 5, row 6: code 0x41
    b.insert();
    b.insert();
    b.press(460, 290);
    b.insert();
    ASSERT_EQ(b.host.tags, QStringList({QStringLiteral("<>"), QStringLiteral("<U41>"),
                                        QStringLiteral("<U41>"), QStringLiteral("<U41>")}));
    ASSERT_TRUE(b.window.isVisible());
    QTest::mouseClick(b.window.findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
    ASSERT_TRUE(!b.window.isVisible());
}

TEST(EuroCharForm, PictureFileReplacesTheBuiltInOne) {
    QTemporaryDir dir;
    EuroPicture drawn = BuiltInEuroPicture();
    DrawUserCharRecord(drawn, MakeUserCharRecord(0x41, 'A', {0xF8, 0x88, 0x88, 0xF8, 0, 0, 0}));
    const auto good = PathIn(dir, "good.bmp");
    ASSERT_TRUE(WriteEuroBmp(good, drawn));
    const auto broken = PathIn(dir, "broken.bmp");
    ASSERT_TRUE(WriteFileReplacing(broken, "BM not really"));

    const struct {
        std::filesystem::path file;
        EuroPicture expected;
        bool problem;
    } cases[] = {
        {good, drawn, false},
        {broken, BuiltInEuroPicture(), true},
        {PathIn(dir, "missing.bmp"), BuiltInEuroPicture(), false},
    };
    for (const auto& c : cases) {
        Bench b(c.file);
        ASSERT_TRUE(b.window.picture() == c.expected);
        ASSERT_EQ(!b.window.pictureProblem().isEmpty(), c.problem);
        if (c.problem) {
            ASSERT_TRUE(
                b.window.pictureProblem().contains(QString::fromStdString(c.file.string())));
        }
    }
}

TEST(EuroCharForm, FrameInvertsAnyColourAndLeavesNoTrace) {
    QTemporaryDir dir;
    // A 24-bit picture in many colours, and one all black.
    EuroPicture coloured(572, 301, BmpForm{24, {}});
    for (int y = 0; y < 301; ++y) {
        for (int x = 0; x < 572; ++x) {
            coloured.setColour(x, y,
                               Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                   static_cast<std::uint8_t>(x * y)});
        }
    }
    EuroPicture black = coloured;
    for (int y = 0; y < 301; ++y) {
        for (int x = 0; x < 572; ++x) {
            black.setBlack(x, y, true);
        }
    }
    for (const EuroPicture& picture : {coloured, black}) {
        const auto file = PathIn(dir, "picture.bmp");
        ASSERT_TRUE(WriteEuroBmp(file, picture));
        Bench b(file);
        ASSERT_TRUE(b.window.picture() == picture);
        const QImage before = b.area()->shownImage().copy();
        b.press(300, 140); // cell 0x41: its frame starts at (286, 139)
        const Rgb under = picture.colour(286, 139);
        ASSERT_EQ(QColor(b.area()->shownImage().pixel(286, 139)),
                  QColor(255 - under.r, 255 - under.g, 255 - under.b));
        b.press(10, 10);
        b.press(460, 290); // an empty cell: the frame stays at cell 0
        // Cell 0x41 shows its pixels again exactly, and only cell 0 differs from the start.
        const QImage after = b.area()->shownImage();
        const QRect cell0(0, 0, 57, 23);
        for (int y = 0; y < 301; ++y) {
            for (int x = 0; x < 572; ++x) {
                if (!cell0.contains(x, y) && after.pixel(x, y) != before.pixel(x, y)) {
                    FAIL() << qPrintable(QStringLiteral("%1,%2 changed").arg(x).arg(y));
                }
            }
        }
        ASSERT_TRUE(after.pixel(1, 1) != before.pixel(1, 1));
        // The saved picture holds no frame and keeps its form.
        ASSERT_TRUE(b.window.savePicture(file));
        ASSERT_EQ(ReadWholeFile(file).value(), EncodeEuroBmp(picture));
    }
}

TEST(EuroCharForm, FactoryBindsTheMenuItem) {
    RecordingHost host;
    const std::unique_ptr<QWidget> window = userfont::TuEuropeanCharForm::create(host);
    ASSERT_TRUE(!window->isVisible());
    ASSERT_TRUE(host.choose("EuropeanChar3"));
    ASSERT_TRUE(window->isVisible());
    window->showMinimized();
    ASSERT_TRUE(host.choose("EuropeanChar3"));
    ASSERT_TRUE(!(window->windowState() & Qt::WindowMinimized));
}
