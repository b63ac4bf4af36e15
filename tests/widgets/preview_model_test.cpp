// The preview model and its strip: compiling after a quiet period, notes, user characters,
// width, time, and the strip's buttons.

#include "core/compiler.h"
#include "core/userfont.h"
#include "widgets/led_view.h"
#include "widgets/preview_model.h"
#include "widgets/preview_strip.h"

#include <QLabel>
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
    ASSERT_TRUE(QTest::qWaitFor([&model] { return !model.pending(); }, 2000));
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
    const std::vector<UserCharRecord> first =
        CharactersHeldAfter({}, {solid, UserCharRecord{}, dot});
    ASSERT_TRUE(WriteFontFile(record, first));
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
    ASSERT_TRUE(WriteFontFile(record, CharactersHeldAfter(first, {narrow})));
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
    ASSERT_TRUE(QTest::qWaitFor([note] { return note->isHidden(); }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&model] { return model.time() > 0.1; }, 2000));
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

} // namespace
} // namespace lumivo::ui
