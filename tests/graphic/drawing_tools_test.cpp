// The drawing tools through their interface, on a grid without a screen: which cells each tool
// paints, the rubber band, and one undo step per edit.

#include "fake_tool_canvas.h"

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_registry.h"

#include <QKeySequence>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace lumivo::graphic {
namespace {

using testing::FakeToolCanvas;
using testing::Move;
using testing::Picture;
using testing::Play;
using testing::PointerEvent;
using testing::Press;
using testing::Release;

// Pictures use "." for an unlit cell.
std::vector<std::string> Letters(std::vector<std::string> picture) {
    for (std::string& row : picture)
        for (char& c : row)
            if (c == '.')
                c = kPixelOff;
    return picture;
}

struct PaintCase {
    const char* name;
    int tool;
    int width;
    int height;
    int zoom;
    char before; // every cell of the store at the start
    char colour;
    std::vector<PointerEvent> events;
    std::vector<std::string> after; // the top-left cells afterwards; the rest keep `before`
};

class ToolPaints : public ::testing::TestWithParam<PaintCase> {};

TEST_P(ToolPaints, ExactCells) {
    const PaintCase& c = GetParam();
    FakeToolCanvas canvas;
    canvas.gridWidth = c.width;
    canvas.gridHeight = c.height;
    canvas.gridZoom = c.zoom;
    canvas.currentColour = c.colour;
    canvas.cells.clear(PixelStore::kSize, PixelStore::kSize);
    for (int x = 0; x < PixelStore::kSize; ++x)
        for (int y = 0; y < PixelStore::kSize; ++y)
            canvas.cells.set(x, y, c.before);
    const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(c.tool);
    ASSERT_NE(tool, nullptr);

    Play(*tool, canvas, c.events);

    const int columns = static_cast<int>(c.after.front().size());
    const int rows = static_cast<int>(c.after.size());
    EXPECT_EQ(Picture(canvas.cells, columns, rows), Letters(c.after));
    EXPECT_EQ(testing::CellsOutsideNotHolding(canvas.cells, columns, rows, c.before), 0);
    EXPECT_EQ(canvas.band.shape, RubberBand::Shape::None);
}

// Grid pixels of the middle of a cell at zoom 3.
constexpr int M3(int cell) {
    return cell * 3 + 1;
}

// clang-format off
const PaintCase kPaintCases[] = {
    {"BrushClickPaintsNothing", 2, 8, 7, 3, '@', 'A',
     {Press(M3(2), M3(2)), Release(M3(2), M3(2))},
     {"....", "....", "....", "...."}},
    {"EraserClickErasesNothing", 10, 8, 7, 3, 'A', 'D',
     {Press(M3(2), M3(2)), Release(M3(2), M3(2))},
     {"AAAA", "AAAA", "AAAA", "AAAA"}},
    {"BrushPaintsTwoByTwo", 2, 8, 7, 3, '@', 'D',
     {Press(M3(1), M3(1)), Move(M3(1), M3(1)), Move(M3(4), M3(3)), Release(M3(4), M3(3))},
     {"......", ".DD...", ".DD...", "....DD", "....DD", "......"}},
    {"BrushPastRightEdgeKeepsLastAndHiddenColumn", 2, 4, 7, 3, '@', 'A',
     {Press(M3(2), M3(1)), Move(M3(20), M3(1)), Move(M3(5), M3(3)), Release(M3(5), M3(3))},
     {"......", "...AA.", "...AA.", "...AA.", "...AA.", "......"}},
    {"BrushPastBottomEdgeKeepsLastAndHiddenRow", 2, 8, 2, 3, '@', 'E',
     {Press(M3(2), M3(1)), Move(M3(2), M3(30)), Release(M3(2), M3(30))},
     {"....", "..EE", "..EE", "...."}},
    {"BrushLeftOfGridPaintsOnlyColumnZero", 2, 8, 7, 3, '@', 'A',
     {Press(1, M3(1)), Move(-4, M3(1)), Release(-4, M3(1))},
     {"....", "A...", "A...", "...."}},
    {"BrushWithoutLeftButtonPaintsNothing", 2, 8, 7, 3, '@', 'A',
     {Move(M3(1), M3(1), Qt::NoButton), Move(M3(1), M3(1), Qt::RightButton)},
     {"....", "....", "...."}},
    {"EraserClearsCellsUnderMoves", 10, 8, 7, 3, 'A', 'D',
     {Press(M3(0), M3(0)), Move(M3(1), M3(0)), Move(M3(2), M3(1)), Move(-5, M3(2)),
      Release(M3(2), M3(1))},
     {"A.AAA", "AA.AA", "AAAAA"}},
    {"RectangleOneToFourCoversColumnsOneToThree", 4, 8, 7, 3, '@', 'A',
     {Press(M3(1), M3(0)), Move(M3(3), M3(2)), Release(M3(4), M3(3))},
     {".AAA..", ".A.A..", ".AAA..", "......"}},
    {"RectangleFourToOneCoversTheSameColumns", 4, 8, 7, 3, '@', 'A',
     {Press(M3(4), M3(3)), Move(M3(2), M3(1)), Release(M3(1), M3(0))},
     {".AAA..", ".A.A..", ".AAA..", "......"}},
    {"FilledRectangleOneToFour", 5, 8, 7, 3, '@', 'D',
     {Press(M3(1), M3(0)), Release(M3(4), M3(3))},
     {".DDD..", ".DDD..", ".DDD..", "......"}},
    {"RectangleOfOneRowIsEmpty", 4, 8, 7, 3, '@', 'A',
     {Press(M3(1), M3(2)), Release(M3(5), M3(2))},
     {"......", "......", "......", "......"}},
    {"RectangleClippedToTheGraphic", 4, 4, 3, 3, '@', 'A',
     {Press(M3(1), M3(1)), Release(M3(12), M3(12))},
     {"......", ".AAA..", ".A....", "......"}},
    {"LineZeroToFivePaintsZeroToFour", 3, 8, 7, 3, '@', 'A',
     {Press(M3(0), M3(0)), Move(M3(3), M3(0)), Release(M3(5), M3(0))},
     {"AAAAA...", "........"}},
    {"LineFiveToZeroLeavesOutCellZero", 3, 8, 7, 3, '@', 'A',
     {Press(M3(5), M3(0)), Release(M3(0), M3(0))},
     {".AAAAA..", "........"}},
    {"LineDiagonalWithoutItsEnd", 3, 8, 7, 3, '@', 'E',
     {Press(M3(0), M3(0)), Release(M3(3), M3(3))},
     {"E...", ".E..", "..E.", "...."}},
    {"LineOfOneCellIsEmpty", 3, 8, 7, 3, '@', 'A',
     {Press(M3(2), M3(2)), Release(M3(2) + 1, M3(2))},
     {"....", "....", "....", "...."}},
    {"LineStopsAtTheGraphicsEdge", 3, 8, 7, 3, '@', 'A',
     {Press(M3(0), M3(1)), Release(M3(12), M3(1))},
     {"..........", "AAAAAAAA..", ".........."}},
    {"LineStepsHalfwayAtZoomTen", 3, 8, 7, 10, '@', 'D',
     {Press(9, 0), Release(59, 19)},
     {"DDD.....", "...DD...", "........"}},
    {"FillCoversTheGraphicOnly", 12, 4, 2, 3, '@', 'D',
     {Press(M3(3), M3(3)), Release(M3(3), M3(3))},
     {"DDDD..", "DDDD..", "......"}},
    {"FillWithGreyBlanksTheGraphic", 12, 4, 2, 3, 'E', '@',
     {Release(0, 0)},
     {"....EE", "....EE", "EEEEEE"}},
    {"EllipseInItsHalfOpenBox", 6, 16, 8, 3, '@', 'A',
     {Press(M3(0), M3(0)), Release(M3(9), M3(7))},
     {"..AAAAA....",
      ".A.....A...",
      "A.......A..",
      "A.......A..",
      "A.......A..",
      ".A.....A...",
      "..AAAAA....",
      "..........."}},
    {"FilledEllipseInItsHalfOpenBox", 7, 16, 8, 3, '@', 'A',
     {Press(M3(9), M3(7)), Release(M3(0), M3(0))},
     {"..AAAAA....",
      ".AAAAAAA...",
      "AAAAAAAAA..",
      "AAAAAAAAA..",
      "AAAAAAAAA..",
      ".AAAAAAA...",
      "..AAAAA....",
      "..........."}},
    {"SmallEllipse", 6, 16, 8, 3, '@', 'A',
     {Press(M3(1), M3(1)), Release(M3(5), M3(4))},
     {"......", ".AAAA.", ".A..A.", ".AAAA.", "......"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Tools, ToolPaints, ::testing::ValuesIn(kPaintCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BandCase {
    int tool;
    RubberBand::Shape shape;
    bool dashDot;
    bool filled;
};

class RubberBandFollows : public ::testing::TestWithParam<BandCase> {};

// The band runs from the press point to the pointer while the left button is held, the store
// stays as it was until the release, and the release removes the band.
TEST_P(RubberBandFollows, FromAnchorToPointerAndGoneAfterRelease) {
    const BandCase& c = GetParam();
    FakeToolCanvas canvas;
    canvas.cells = testing::PatternStore();
    const PixelStore before = canvas.cells;
    const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(c.tool);

    tool->pressed(canvas, QPoint(4, 5), Qt::LeftButton);
    EXPECT_TRUE(canvas.bandHistory.empty()); // no band before the first move
    tool->moved(canvas, QPoint(10, 8), Qt::LeftButton);
    tool->moved(canvas, QPoint(40, 17), Qt::LeftButton);
    const RubberBand expected{c.shape, QPoint(4, 5), QPoint(40, 17), c.dashDot, c.filled};
    EXPECT_EQ(canvas.band, expected);
    EXPECT_EQ(canvas.bandHistory.size(), 2u);
    EXPECT_EQ(canvas.cells, before);

    tool->released(canvas, QPoint(40, 17), Qt::LeftButton);
    EXPECT_EQ(canvas.band.shape, RubberBand::Shape::None);
    EXPECT_NE(canvas.cells, before); // every one of these tools changes the store on release
}

INSTANTIATE_TEST_SUITE_P(Tools, RubberBandFollows,
                         ::testing::Values(BandCase{3, RubberBand::Shape::Line, false, false},
                                           BandCase{4, RubberBand::Shape::Rectangle, false, false},
                                           BandCase{5, RubberBand::Shape::Rectangle, false, true},
                                           BandCase{6, RubberBand::Shape::Ellipse, false, false},
                                           BandCase{7, RubberBand::Shape::Ellipse, false, true},
                                           BandCase{8, RubberBand::Shape::Rectangle, true, false}));

struct StepCase {
    int tool;
    const char* stepName;
};

class OneStepPerEdit : public ::testing::TestWithParam<StepCase> {
protected:
    void SetUp() override {
        canvas.cells = testing::PatternStore();
        canvas.nextText =
            testing::TextOf({QStringLiteral("Hi")}, QStringLiteral("DejaVu Sans"), 12);
        tool = MakeDrawingTool(GetParam().tool);
        ASSERT_NE(tool, nullptr);
    }

    FakeToolCanvas canvas;
    std::unique_ptr<DrawingTool> tool;
};

TEST_P(OneStepPerEdit, LeftStrokeIsOneNamedStep) {
    Play(*tool, canvas, {Press(5, 5), Move(11, 8), Move(20, 14), Move(26, 17), Release(26, 17)});
    EXPECT_EQ(canvas.steps,
              (std::vector<std::string>{"begin", std::string("end ") + GetParam().stepName}));
    EXPECT_EQ(canvas.openSteps(), 0);
}

TEST_P(OneStepPerEdit, OtherButtonsDoNothing) {
    const PixelStore before = canvas.cells;
    Play(*tool, canvas,
         {Press(5, 5, Qt::RightButton), Move(11, 8, Qt::RightButton),
          Release(11, 8, Qt::RightButton), Press(5, 5, Qt::MiddleButton),
          Release(5, 5, Qt::MiddleButton)});
    EXPECT_TRUE(canvas.steps.empty());
    EXPECT_EQ(canvas.cells, before);
    EXPECT_TRUE(canvas.bandHistory.empty());
    EXPECT_TRUE(canvas.trail.empty());
    EXPECT_FALSE(canvas.shown);
    EXPECT_EQ(canvas.textQuestions, 0);
}

// Choosing another tool in the middle of a drag ends the drag cleanly: no band left on the grid,
// no trail, and the step closed.
TEST_P(OneStepPerEdit, DeactivateMidDragClosesTheStep) {
    Play(*tool, canvas, {Press(5, 5), Move(11, 8), Move(20, 14)});
    tool->deactivate(canvas);
    EXPECT_EQ(canvas.openSteps(), 0);
    EXPECT_EQ(canvas.band.shape, RubberBand::Shape::None);
    EXPECT_TRUE(canvas.trail.empty());
    EXPECT_FALSE(canvas.shown);
    // A release arriving after that changes nothing more (Fill acts on any release, so it has
    // no drag to end).
    if (GetParam().tool == 12)
        return;
    const PixelStore before = canvas.cells;
    const std::size_t steps = canvas.steps.size();
    tool->released(canvas, QPoint(20, 14), Qt::LeftButton);
    EXPECT_EQ(canvas.cells, before);
    EXPECT_EQ(canvas.steps.size(), steps);
}

INSTANTIATE_TEST_SUITE_P(Tools, OneStepPerEdit,
                         ::testing::Values(StepCase{2, "Brush"}, StepCase{3, "Line"},
                                           StepCase{4, "Rectangle"},
                                           StepCase{5, "Filled rectangle"}, StepCase{6, "Ellipse"},
                                           StepCase{7, "Filled ellipse"},
                                           StepCase{8, "Rectangle select"},
                                           StepCase{9, "Free select"}, StepCase{10, "Eraser"},
                                           StepCase{11, "Text"}, StepCase{12, "Fill"}),
                         [](const auto& info) { return std::to_string(info.param.tool); });

TEST(ToolFactory, TwelveToolsAndNoOthers) {
    EXPECT_EQ(MakeDrawingTool(0), nullptr);
    EXPECT_EQ(MakeDrawingTool(13), nullptr);
    for (int number = 2; number <= 12; ++number)
        EXPECT_NE(MakeDrawingTool(number), nullptr) << number;
    EXPECT_EQ(MakeDrawingTool(11)->cursorShape(), Qt::IBeamCursor);
    EXPECT_EQ(MakeDrawingTool(3)->cursorShape(), Qt::CrossCursor);
}

// The registry against the table of tools: each entry, in button order, is the tool its number
// makes, with its name, undo text and key; no two tools share a key.
TEST(ToolRegistry, ListsTheTwelveToolsWithTheirIdentity) {
    std::ifstream table(LUMIVO_TEST_DATA_DIR "/graphic/tools.txt");
    ASSERT_TRUE(table.is_open());
    const std::span<const ToolEntry> registry = ToolRegistry();
    std::size_t row = 0;
    std::set<QString> keys;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string number, name, undo, key;
        std::getline(fields, number, '|');
        std::getline(fields, name, '|');
        std::getline(fields, undo, '|');
        std::getline(fields, key, '|');
        ASSERT_LT(row, registry.size()) << line;
        const ToolIdentity& identity = *registry[row].identity;
        EXPECT_EQ(identity.number, std::stoi(number)) << line;
        EXPECT_EQ(identity.name, name) << line;
        EXPECT_EQ(identity.undoText, undo) << line;
        EXPECT_EQ(identity.shortcut, key) << line;
        EXPECT_NE(identity.glyph, nullptr) << line;
        EXPECT_FALSE(QKeySequence(QString::fromLatin1(identity.shortcut)).isEmpty()) << line;
        keys.insert(QString::fromLatin1(identity.shortcut));
        EXPECT_EQ(FindTool(identity.number), &registry[row]) << line;
        const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(identity.number);
        ASSERT_NE(tool, nullptr) << line;
        EXPECT_EQ(&tool->identity(), &identity) << line;
        ++row;
    }
    EXPECT_EQ(row, registry.size());
    EXPECT_EQ(keys.size(), registry.size());
}

} // namespace
} // namespace lumivo::graphic
