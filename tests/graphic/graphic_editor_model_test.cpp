// The graphic editor's state without a window: sizes, zoom, opening from the folder, the picture
// tags of a line and the insertion limits.

#include "graphic/graphic_document.h"
#include "graphic/graphic_editor_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lumivo::graphic {
namespace {

namespace fs = std::filesystem;

// n picture tags G01..Gn in one line.
std::string Tags(int first, int last) {
    std::string line;
    for (int number = first; number <= last; ++number) {
        line += "x" + PictureTag(GraphicName(number));
    }
    return line;
}

struct InsertCase {
    const char* what;
    std::string name;
    int rows;
    std::string line1;
    std::string line2;
    bool line2Current;
    InsertDecision expected;
};

TEST(GraphicInsertion, CountsDifferentGraphicsOverBothLinesAndKeepsTallOnesInLine1) {
    const InsertCase cases[] = {
        {"first graphic", "G01", 7, "", "", false, InsertDecision::Insert},
        {"fifteen others leave room", "G16", 8, Tags(1, 8), Tags(9, 15), false,
         InsertDecision::Insert},
        {"sixteen others: a seventeenth", "G16", 8, Tags(1, 10), Tags(11, 15) + "<Pic:G99>", false,
         InsertDecision::TooManyGraphics},
        {"one of the sixteen again", "G03", 8, Tags(1, 10), Tags(11, 16), false,
         InsertDecision::Insert},
        {"repeated names count once", "G16", 8, Tags(1, 15) + Tags(1, 15), Tags(1, 15), false,
         InsertDecision::Insert},
        {"empty names do not count", "G16", 8, Tags(1, 15) + "<Pic:><Pic:>", "", false,
         InsertDecision::Insert},
        {"a tag without its end has an empty name", "G16", 8, Tags(1, 15) + "<Pic:G20", "", false,
         InsertDecision::Insert},
        {"tall graphic into Line 1", "G02", 16, "", "", false, InsertDecision::Insert},
        {"tall graphic into Line 2", "G02", 16, "", "", true, InsertDecision::TooTallForLine2},
        {"eight rows into Line 2", "G02", 8, "", "", true, InsertDecision::Insert},
        {"tall graphic already on the page, into Line 2", "G02", 16, Tags(2, 2), "", true,
         InsertDecision::TooTallForLine2},
        {"the count comes before the height", "G16", 16, Tags(1, 15) + "<Pic:G99>", "", true,
         InsertDecision::TooManyGraphics},
    };
    for (const InsertCase& c : cases) {
        EXPECT_EQ(DecideInsertion(c.name, c.rows, c.line1, c.line2, c.line2Current), c.expected)
            << c.what;
    }
}

TEST(GraphicInsertion, PictureTagNamesFollowEachTagStart) {
    EXPECT_EQ(PictureTagNames("a<Pic:G01>b<Pic:><Pic:G02"),
              (std::vector<std::string>{"G01", "", ""}));
    // The search goes on right after "<Pic:", so a tag start inside a name is found too.
    EXPECT_EQ(PictureTagNames("<Pic:<Pic:G05>"), (std::vector<std::string>{"<Pic:G05", "G05"}));
    EXPECT_EQ(PictureTag("G07"), "<Pic:G07>");
}

TEST(GraphicEditorState, ZoomStaysWithinItsEntriesAndSizesFollowOnlyListedValues) {
    GraphicEditorModel model;
    EXPECT_EQ(model.zoom(), 3);
    EXPECT_FALSE(model.setZoomIndex(-1));
    EXPECT_TRUE(model.setZoomIndex(99));
    EXPECT_EQ(model.zoom(), 10);
    EXPECT_EQ(model.zoomIndex(), kZoomEntries - 1);

    EXPECT_EQ(HeightIndexOf(8), 1);
    EXPECT_EQ(HeightIndexOf(16), std::nullopt);
    EXPECT_EQ(WidthIndexOf(120), 3);
    EXPECT_EQ(WidthIndexOf(40), std::nullopt);
    model.setWidthIndex(7);
    model.setHeightIndex(-1);
    EXPECT_EQ(model.width(), 32);
    EXPECT_EQ(model.height(), 7);
}

class GraphicOpen : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            fs::temp_directory_path() /
            ("lumivo-model-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void write(const std::string& name, const std::string& content) {
        std::ofstream(GraphicPath(m_folder, name), std::ios::binary) << content;
    }

    fs::path m_folder;
};

TEST_F(GraphicOpen, RefusedFilesChangeNothingAndNameTheGraphic) {
    GraphicEditorModel model;
    model.store().set(150, 150, kPixelGreen);
    model.setWidthIndex(2);
    const PixelStore before = model.store();
    write("G01", "AAA\r\nAA\r\nAAA\r\nAAA\r\nAAA\r\nAAA\r\nAAA\r\n"); // a short row
    write("G02", "");
    for (const char* name : {"G01", "G02", "G03"}) {
        const Status status = model.open(m_folder, name);
        ASSERT_FALSE(status) << name;
        EXPECT_NE(status.error().message.find(name), std::string::npos) << status.error().message;
        EXPECT_EQ(model.store(), before) << name;
        EXPECT_EQ(model.width(), 96) << name;
    }
}

TEST_F(GraphicOpen, SizeFollowsTheFileOnlyForListedValues) {
    struct Case {
        int rows, width, expectedHeight, expectedWidth;
    };
    for (const Case c : {Case{8, 64, 8, 64}, Case{16, 128, 7, 128}, Case{7, 40, 7, 96}}) {
        GraphicEditorModel model;
        model.setWidthIndex(2); // 96
        model.store().set(150, 3, kPixelGreen);
        std::string content;
        for (int y = 0; y < c.rows; ++y) {
            content += std::string(c.width, y == 0 ? kPixelRed : kPixelYellow) + "\r\n";
        }
        write("G04", content);
        ASSERT_TRUE(model.open(m_folder, "G04"));
        EXPECT_EQ(model.height(), c.expectedHeight) << c.rows << "x" << c.width;
        EXPECT_EQ(model.width(), c.expectedWidth) << c.rows << "x" << c.width;
        EXPECT_EQ(model.store().at(c.width - 1, 0), kPixelRed);
        EXPECT_EQ(model.store().at(0, c.rows - 1), kPixelYellow);
        // Cells outside the file keep their content.
        EXPECT_EQ(model.store().at(150, 3), kPixelGreen);
    }
}

TEST(GraphicFolder, CreationMessageJoinsItsPartsWithoutBlanks) {
    EXPECT_EQ(FolderCreationMessage(fs::path("/opt/lumivo") / "Graphdata"),
              "Cannot create/opt/lumivo/GraphdataDirtrory");
}

// The document's undo without a window: a step that changed something is one command, one that
// changed nothing is none, undo waits while a step is open, and undo and redo put back the
// store and the size.
TEST(GraphicDocumentUndo, StepsBecomeCommandsThatPutTheDocumentBack) {
    GraphicDocument document;
    const PixelStore blank = document.model().store();
    document.beginStep();
    document.endStep(QStringLiteral("Nothing"));
    EXPECT_EQ(document.undoStack().count(), 0);

    document.beginStep();
    document.model().store().set(3, 2, kPixelGreen);
    document.model().setWidthIndex(2);
    document.endStep(QStringLiteral("Pen"));
    ASSERT_EQ(document.undoStack().count(), 1);
    EXPECT_EQ(document.undoStack().text(0), QStringLiteral("Pen"));
    const PixelStore drawn = document.model().store();

    document.beginStep();
    document.model().store().set(4, 2, kPixelRed);
    document.undo(); // waits: the step is open
    EXPECT_EQ(document.model().store().at(4, 2), kPixelRed);
    document.cancelStep();
    document.model().store() = drawn;

    document.undo();
    EXPECT_EQ(document.model().store(), blank);
    EXPECT_EQ(document.model().width(), 32);
    document.redo();
    EXPECT_EQ(document.model().store(), drawn);
    EXPECT_EQ(document.model().width(), 96);
}

} // namespace
} // namespace lumivo::graphic
