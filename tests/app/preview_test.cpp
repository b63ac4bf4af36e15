// The LED view, the preview model and strip, and the preview in the main window.
#include "app_test_support.h"

#include "core/compiler.h"
#include "core/userfont.h"
#include "userfont/font_transfer_source.h"
#include "widgets/led_view.h"
#include "widgets/preview_model.h"
#include "widgets/preview_strip.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lumivo::ui {
namespace {

using ::lumivo::Dot;

// --- The view ---------------------------------------------------------------------------------

TEST(LedView, DotsFitTheWidgetSquareAndWholeOnTheScreen) {
    const struct {
        QSize size;
        int columns;
        int rows;
        double ratio;
        double pitch;
        QPointF origin;
    } cases[] = {
        {{800, 160}, 80, 16, 1.0, 10.0, {0, 0}},
        {{800, 400}, 80, 16, 1.0, 10.0, {0, 120}},   // too tall: centred vertically
        {{1000, 160}, 80, 16, 1.0, 10.0, {100, 0}},  // too wide: centred across
        {{805, 163}, 80, 16, 1.0, 10.0, {2.5, 1.5}}, // whole pixels per dot
        {{400, 80}, 80, 16, 2.0, 5.0, {0, 0}},       // high-DPI: ten device pixels per dot
        // 7.55 device pixels a dot fit: seven whole ones
        {{403, 80}, 80, 16, 1.5, 7 / 1.5, {(403 - 80 * 7 / 1.5) / 2, (80 - 16 * 7 / 1.5) / 2}},
        {{100, 16}, 80, 16, 1.0, 0, {0, 0}}, // under two pixels a dot: nothing drawn
        {{800, 160}, 0, 16, 1.0, 0, {0, 0}}, // no image
    };
    for (const auto& c : cases) {
        const DotLayout layout = FitDots(c.size, c.columns, c.rows, c.ratio);
        SCOPED_TRACE(testing::Message()
                     << c.size.width() << "x" << c.size.height() << " @" << c.ratio);
        EXPECT_DOUBLE_EQ(layout.pitch, c.pitch);
        if (c.pitch > 0) {
            EXPECT_NEAR(layout.origin.x(), c.origin.x(), 1e-9);
            EXPECT_NEAR(layout.origin.y(), c.origin.y(), 1e-9);
        } else {
            EXPECT_TRUE(layout.empty());
        }
    }
}

TEST(LedView, ColoursFollowTheModeAndTheBrightness) {
    const DotLook full;
    const DotLook single{true, 1.0, false};
    // Four distinct colours, the unlit one darkest.
    EXPECT_NE(DotColor(Dot::Red, full), DotColor(Dot::Green, full));
    EXPECT_NE(DotColor(Dot::Red, full), DotColor(Dot::Yellow, full));
    EXPECT_NE(DotColor(Dot::Green, full), DotColor(Dot::Yellow, full));
    for (Dot lit : {Dot::Red, Dot::Green, Dot::Yellow}) {
        EXPECT_LT(DotColor(Dot::Off, full).lightness(), DotColor(lit, full).lightness());
        // A one-colour sign shows every lit dot red; unlit dots stay unlit.
        EXPECT_EQ(DotColor(lit, single), DotColor(Dot::Red, full));
        // Each lower brightness is dimmer, and still brighter than an unlit dot.
        int last = 256;
        for (double level : {1.0, 0.75, 0.5, 0.25}) {
            const int lightness = DotColor(lit, DotLook{false, level, false}).lightness();
            EXPECT_LT(lightness, last) << level;
            EXPECT_GT(lightness, DotColor(Dot::Off, full).lightness()) << level;
            last = lightness;
        }
    }
    EXPECT_EQ(DotColor(Dot::Off, single), DotColor(Dot::Off, full));
}

TEST(LedView, PaintsEachDotInItsColourAndMode) {
    LedView view;
    view.resize(40, 10); // four columns of ten pixels, one row
    DotImage image(4, 1);
    image.set(0, 0, Dot::Red);
    image.set(1, 0, Dot::Green);
    image.set(2, 0, Dot::Yellow);
    view.setImage(image);
    for (bool single : {false, true}) {
        view.setSingleColor(single);
        const QImage shot = view.grab().toImage();
        const DotLook look{single, 1.0, false};
        for (int x = 0; x < 4; ++x) {
            // The centre of a dot is lit brighter than its rim; its hue is the dot's colour.
            const QColor centre = shot.pixelColor(x * 10 + 5, 5);
            const QColor expected = DotColor(image.at(x, 0), look);
            EXPECT_NEAR(centre.hue(), expected.hue(), 3) << "dot " << x << " single " << single;
            // Between the dots lies the dark panel.
            EXPECT_EQ(shot.pixelColor(x * 10, 0), PanelColor()) << x;
        }
    }
}

// --- The model --------------------------------------------------------------------------------

class PreviewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        std::ofstream graphic(std::filesystem::path(m_folder.path().toStdString()) / "G02.txt");
        for (int row = 0; row < 8; ++row) {
            graphic << std::string(32, 'D') << "\n"; // all green
        }
    }
    std::shared_ptr<const GraphicSource> Graphics() const {
        return std::make_shared<FolderGraphicSource>(m_folder.path().toStdString());
    }
    QTemporaryDir m_folder;
};

// Columns of the static content of what the model shows.
int ContentColumns(const PreviewModel& model) {
    return model.hasAnimation() ? model.animation()->content().columns() : -1;
}

TEST_F(PreviewModelTest, TextChangesShowAtOnceThenAtTheEndOfEachQuietPeriod) {
    PreviewModel model(Graphics());
    int frames = 0;
    QObject::connect(&model, &PreviewModel::frameChanged, [&frames] { ++frames; });
    model.setText("A");
    ASSERT_TRUE(model.hasAnimation());
    const int one = ContentColumns(model);
    EXPECT_GT(one, 0);
    EXPECT_EQ(frames, 1);

    // Typing on: the changes wait for the end of the quiet period, and only the last is compiled.
    model.setText("AB");
    model.setText("ABC");
    EXPECT_TRUE(model.pending());
    EXPECT_EQ(ContentColumns(model), one);
    EXPECT_EQ(frames, 1);
    QTRY_VERIFY_WITH_TIMEOUT(!model.pending(), 2000);
    EXPECT_GT(ContentColumns(model), 2 * one);
    EXPECT_EQ(frames, 2);

    // The same text again compiles nothing.
    QTest::qWait(PreviewModel::kQuietMs + 50);
    model.setText("ABC");
    EXPECT_FALSE(model.pending());
    EXPECT_EQ(frames, 2);
    EXPECT_LT(model.lastCompileMs(), 1000.0);
}

TEST_F(PreviewModelTest, AnUnreadableGraphicGivesANoteNamingItAndKeepsThePicture) {
    PreviewModel model(Graphics());
    QString noted;
    QObject::connect(&model, &PreviewModel::noteChanged, [&noted](const QString& n) { noted = n; });
    model.setText("<Pic:G02>");
    ASSERT_TRUE(model.hasAnimation());
    EXPECT_EQ(model.note(), QString());
    EXPECT_EQ(model.animation()->content().at(0, 0), Dot::Green);

    model.setText("<Pic:G02><Pic:G07>");
    model.flush();
    EXPECT_TRUE(model.note().contains(QStringLiteral("G07"))) << model.note().toStdString();
    EXPECT_EQ(noted, model.note());
    EXPECT_EQ(model.animation()->content().columns(), 32); // the last good picture stays

    model.setText("<Pic:G02>x");
    model.flush();
    EXPECT_EQ(model.note(), QString());
    EXPECT_EQ(noted, QString());
}

// The lit dots of the first `columns` x 7 of the line, row after row, "#" lit.
std::string LitDots(const PreviewModel& model, int columns) {
    std::string dots;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < columns; ++x) {
            dots += model.animation()->content().at(x, y) == Dot::Off ? '.' : '#';
        }
    }
    return dots;
}

std::string Repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

TEST_F(PreviewModelTest, UserCharactersShowAsLastTransferredUntilTheRecall) {
    const std::filesystem::path record =
        std::filesystem::path(m_folder.path().toStdString()) / kSentUserFontFile;
    PreviewModel model(Graphics());
    model.followUserCharacters(record);
    model.setText("<Immediate><U41><U42>");
    model.flush();
    const std::string factory = LitDots(model, 12);

    // A transfer of a solid U41 and a U42 of one dot, then one of a narrow U41 alone.
    const UserCharRecord solid =
        MakeUserCharRecord(0x41, 'A', {0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8});
    const UserCharRecord dot = MakeUserCharRecord(0x42, 'A', {0x80, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(userfont::RecordSentCharacters(record, {solid, UserCharRecord{}, dot}));
    // The file is watched: each change shows without any new typing.
    const auto shown = [&model](int columns, const std::string& expected) {
        for (int i = 0; i < 300 && LitDots(model, columns) != expected; ++i) {
            QTest::qWait(10);
        }
        return LitDots(model, columns);
    };
    const std::string sent = "#####.#....." + Repeated("#####.......", 6);
    EXPECT_EQ(shown(12, sent), sent);
    EXPECT_NE(sent, factory);
    const UserCharRecord narrow = MakeUserCharRecord(0x41, 'C', {0xF0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(userfont::RecordSentCharacters(record, {narrow}));
    const std::string narrowed = "####.#." + Repeated(".......", 6);
    EXPECT_EQ(shown(7, narrowed), narrowed);

    // The recall empties the record: the factory glyphs again.
    ASSERT_TRUE(WriteFontFile(record, {}));
    EXPECT_EQ(shown(12, factory), factory);
}

TEST_F(PreviewModelTest, WidthIsHeldToTheSignsRangeAndSizesTheFrame) {
    PreviewModel model(Graphics());
    model.setText("Hello");
    EXPECT_EQ(model.frame().columns(), 80);
    EXPECT_EQ(model.frame().rows(), 16);
    for (const auto& [asked, held] :
         std::initializer_list<std::pair<int, int>>{{120, 120}, {16, 16}, {5, 16}, {9999, 512}}) {
        model.setColumns(asked);
        EXPECT_EQ(model.columns(), held);
        EXPECT_EQ(model.frame().columns(), held);
        EXPECT_EQ(model.animation()->geometry().columns, held);
    }
}

TEST_F(PreviewModelTest, TimeRunsWhilePlayingWrapsAtTheEndAndRestarts) {
    PreviewModel model(Graphics());
    model.setText("Hello");
    const double duration = model.animation()->duration();
    ASSERT_GT(duration, 1.0);
    model.advance(0.5);
    EXPECT_DOUBLE_EQ(model.time(), 0.5);
    model.setPlaying(false);
    model.advance(0.3);
    EXPECT_DOUBLE_EQ(model.time(), 0.5); // paused: time stands
    model.setPlaying(true);
    model.advance(duration);
    EXPECT_NEAR(model.time(), 0.5, 1e-9); // one whole run later: the same moment
    model.restart();
    EXPECT_EQ(model.time(), 0.0);
    EXPECT_EQ(model.frame(), model.animation()->frameAt(0));
}

TEST_F(PreviewModelTest, StripShowsTheFrameTheNoteAndDrivesTheModel) {
    PreviewModel model(Graphics());
    PreviewStrip strip(model);
    strip.resize(700, 120);
    auto* play = strip.findChild<QToolButton*>(QStringLiteral("PreviewPlay"));
    auto* restart = strip.findChild<QToolButton*>(QStringLiteral("PreviewRestart"));
    auto* note = strip.findChild<QLabel*>(QStringLiteral("PreviewNote"));
    auto* width = strip.findChild<QSpinBox*>(QStringLiteral("PreviewWidth"));
    ASSERT_TRUE(play && restart && note && width);
    EXPECT_EQ(strip.findChild<LedView*>(QStringLiteral("PreviewView")), strip.view());

    // Time runs only while the strip is on screen and playing.
    EXPECT_FALSE(strip.animating());
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    model.setText("<Pic:G07>");
    EXPECT_TRUE(strip.animating());
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().contains(QStringLiteral("G07")));
    model.setText("Hi");
    QTRY_VERIFY_WITH_TIMEOUT(note->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(model.time() > 0.1, 2000);
    EXPECT_EQ(strip.view()->image(), model.frame());

    play->click();
    EXPECT_FALSE(model.playing());
    EXPECT_FALSE(strip.animating());
    restart->click();
    EXPECT_EQ(model.time(), 0.0);
    play->click();
    EXPECT_TRUE(strip.animating());
    strip.hide();
    EXPECT_FALSE(strip.animating());

    QSignalSpy chosen(&strip, &PreviewStrip::columnsChosen);
    width->setValue(100);
    EXPECT_EQ(model.columns(), 100);
    EXPECT_EQ(strip.view()->image().columns(), 100);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 100);

    model.setSingleColor(true);
    EXPECT_TRUE(strip.view()->singleColor());
}

// --- In the main window -----------------------------------------------------------------------

class PreviewWindowTest : public test::EditorTest {};

TEST_F(PreviewWindowTest, DockUnderTheEditorsShownFromTheViewMenuBeforeHelp) {
    TForm1& main = Start("[Sign]\nshowform=0\n[Preview]\nwidth=120\n");
    auto* dock = main.findChild<QDockWidget*>(QStringLiteral("PreviewDock"));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(main.dockWidgetArea(dock), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(dock->isVisible());
    auto* view = dock->findChild<LedView*>(QStringLiteral("PreviewView"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(main.Preview().columns(), 120); // from the settings
    EXPECT_EQ(view->image().columns(), 120);

    const QList<QAction*> titles = main.menuBar()->actions();
    ASSERT_GE(titles.size(), 2);
    EXPECT_EQ(titles[titles.size() - 2]->objectName(), QStringLiteral("View1"));
    EXPECT_EQ(titles.last()->objectName(), QStringLiteral("Help1"));

    Trigger("ShowPreview1");
    EXPECT_FALSE(dock->isVisible());
    EXPECT_FALSE(Item("ShowPreview1")->isChecked());
    EXPECT_NE(SettingsText().find("show=0"), std::string::npos) << SettingsText();
    Trigger("ShowPreview1");
    EXPECT_TRUE(dock->isVisible());

    dock->findChild<QSpinBox*>(QStringLiteral("PreviewWidth"))->setValue(96);
    EXPECT_NE(SettingsText().find("width=96"), std::string::npos) << SettingsText();
}

TEST_F(PreviewWindowTest, FollowsLineOneAndTheColourMode) {
    TForm1& main = StartQuiet();
    auto* view = main.findChild<LedView*>(QStringLiteral("PreviewView"));
    ASSERT_NE(view, nullptr);
    QTest::qWait(PreviewModel::kQuietMs + 50);
    Type(Line1(), QStringLiteral("<Green>Hi"));
    QTRY_VERIFY_WITH_TIMEOUT(!main.Preview().pending(), 2000);
    const DotImage& content = main.Preview().animation()->content();
    bool green = false;
    for (int x = 0; x < content.columns(); ++x) {
        green = green || content.at(x, 3) == Dot::Green;
    }
    EXPECT_TRUE(green);
    EXPECT_EQ(main.Preview().frame().columns(), 80);

    EXPECT_FALSE(view->singleColor());
    main.ApplyColorMode(true);
    EXPECT_TRUE(view->singleColor());
    main.ApplyColorMode(false);
    EXPECT_FALSE(view->singleColor());
    // The line itself is untouched by the preview.
    EXPECT_EQ(Text(), "<Green>Hi");
}

} // namespace
} // namespace lumivo::ui
