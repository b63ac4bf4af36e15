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
    std::string name;
    int tool = 0;
    int width = 0;
    int height = 0;
    int zoom = 1;
    char before = '@'; // every cell of the store at the start
    char colour = '@';
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

// One pointer event of the table: "p 7,7", "m 4,4,none", "r 13,10".
PointerEvent EventOfText(const std::string& kind, const std::string& place) {
    std::istringstream fields(place);
    std::string x, y, button;
    std::getline(fields, x, ',');
    std::getline(fields, y, ',');
    std::getline(fields, button, ',');
    const Qt::MouseButton held = button == "none"    ? Qt::NoButton
                                 : button == "right" ? Qt::RightButton
                                                     : Qt::LeftButton;
    const int px = std::stoi(x);
    const int py = std::stoi(y);
    return kind == "p"   ? Press(px, py, held)
           : kind == "m" ? Move(px, py, held)
                         : Release(px, py, held);
}

std::vector<PaintCase> PaintCases() {
    std::ifstream table(LUMIVO_TEST_DATA_DIR "/graphic/tool_paints.txt");
    std::vector<PaintCase> cases;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, tool, size, colours, events, after;
        for (std::string* field : {&name, &tool, &size, &colours, &events, &after})
            std::getline(fields, *field, '|');
        PaintCase c;
        c.name = name;
        c.tool = std::stoi(tool);
        std::istringstream(size) >> c.width >> c.height >> c.zoom;
        std::istringstream(colours) >> c.before >> c.colour;
        std::istringstream eventWords(events);
        for (std::string kind, place; eventWords >> kind >> place;)
            c.events.push_back(EventOfText(kind, place));
        std::istringstream rows(after);
        for (std::string row; std::getline(rows, row, '/');)
            c.after.push_back(row);
        cases.push_back(std::move(c));
    }
    if (cases.empty())
        ADD_FAILURE() << "graphic/tool_paints.txt holds no case";
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolPaints, ::testing::ValuesIn(PaintCases()),
                         [](const auto& info) { return info.param.name; });

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
