// The floating selection: cutting by pixel distance, dropping with the skip/target rule, text
// into dots, and the tools that start a selection.

#include "fake_tool_canvas.h"

#include "core/test_support.h"

#include "graphic/cell_mapping.h"
#include "graphic/drawing_tool.h"
#include "graphic/floating_selection.h"

#include <QFontInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace lumivo::graphic {
namespace {

using testing::FakeToolCanvas;
using testing::Move;
using testing::PatternStore;
using testing::Play;
using testing::Press;
using testing::Release;

constexpr char kUntouched = 'Z'; // a letter no store cell holds, for the floating store

PixelStore Filled(char letter) {
    PixelStore store;
    for (int x = 0; x < PixelStore::kSize; ++x)
        for (int y = 0; y < PixelStore::kSize; ++y)
            store.set(x, y, letter);
    return store;
}

bool InStore(int x, int y) {
    return x >= 0 && y >= 0 && x < PixelStore::kSize && y < PixelStore::kSize;
}

// The comma-separated numbers of a table field: "5,0" is {5, 0}.
std::vector<int> Numbers(const std::string& field) {
    std::vector<int> numbers;
    std::size_t start = 0;
    while (start <= field.size()) {
        const std::size_t comma = std::min(field.find(',', start), field.size());
        numbers.push_back(std::stoi(field.substr(start, comma - start)));
        start = comma + 1;
    }
    return numbers;
}

QPoint Point(const std::string& field) {
    const std::vector<int> n = Numbers(field);
    return n.size() == 2 ? QPoint(n[0], n[1]) : QPoint(-1000, -1000);
}

QSize Size(const std::string& field) {
    const QPoint p = Point(field);
    return {p.x(), p.y()};
}

// The cut box comes from the pixel distance; its cells move to the floating store from (0, 0)
// and become "@"; nothing else of either store changes.
TEST(Selection, ACutTakesTheBoxCountedFromThePixelDistance) {
    test::ForEachCase("graphic/selection_cuts.tsv", 5, [](const test::CaseRow& row) {
        const std::vector<int> box = Numbers(row.fields[4]);
        ASSERT_EQ(box.size(), 4u);
        const QRect cells(box[0], box[1], box[2], box[3]);
        const PixelStore original = PatternStore();
        PixelStore store = original;
        PixelStore floating = Filled(kUntouched);

        EXPECT_EQ(CutSelection(store, floating, Point(row.fields[1]), Point(row.fields[2]),
                               std::stoi(row.fields[3])),
                  cells);

        for (int x = 0; x < PixelStore::kSize; ++x) {
            for (int y = 0; y < PixelStore::kSize; ++y) {
                const bool cut = cells.contains(x, y);
                ASSERT_EQ(store.at(x, y), cut ? kPixelOff : original.at(x, y)) << x << "," << y;
                const int fromX = cells.x() + x;
                const int fromY = cells.y() + y;
                const bool taken = x < cells.width() && y < cells.height() && InStore(fromX, fromY);
                ASSERT_EQ(floating.at(x, y), taken ? original.at(fromX, fromY) : kUntouched)
                    << x << "," << y;
            }
        }
    });
}

TEST(Selection, ADropPlacesWhatLiesOnTheGrid) {
    test::ForEachCase("graphic/selection_drops.tsv", 7, [](const test::CaseRow& row) {
        const QPoint target = Point(row.fields[4]);
        const QPoint from = Point(row.fields[5]);
        const PixelStore floating = PatternStore();
        PixelStore store = Filled(kUntouched);

        DropSelection(store, floating, Point(row.fields[1]), Size(row.fields[2]),
                      std::stoi(row.fields[3]));

        const QRect placed(target, Size(row.fields[6]));
        for (int x = 0; x < PixelStore::kSize; ++x) {
            for (int y = 0; y < PixelStore::kSize; ++y) {
                const char expected = placed.contains(x, y) ? floating.at(from.x() + x - target.x(),
                                                                          from.y() + y - target.y())
                                                            : kUntouched;
                ASSERT_EQ(store.at(x, y), expected) << x << "," << y;
            }
        }
    });
}

struct RoundTrip {
    const char* name;
    QPoint a;
    QPoint b;
    int zoom;
};

class CutThenDrop : public ::testing::TestWithParam<RoundTrip> {};

// Dropping the overlay where the cut put it gives the store back, wherever the grid is scrolled:
// the overlay's position is in grid pixels either way.
TEST_P(CutThenDrop, WithoutMovingRestoresTheStore) {
    const RoundTrip& c = GetParam();
    const PixelStore original = PatternStore();
    PixelStore store = original;
    PixelStore floating;
    const QRect cells = CutSelection(store, floating, c.a, c.b, c.zoom);
    ASSERT_FALSE(cells.isEmpty());
    ASSERT_NE(store, original);
    const QRect overlay = OverlayOfCells(cells, c.zoom);

    DropSelection(store, floating, overlay.topLeft(), overlay.size(), c.zoom);
    EXPECT_EQ(store, original);
}

INSTANTIATE_TEST_SUITE_P(
    Selection, CutThenDrop,
    ::testing::Values(RoundTrip{"SmallAtZoomThree", {5, 0}, {10, 9}, 3},
                      RoundTrip{"WholeGraphic", {0, 0}, {96, 21}, 3},
                      RoundTrip{"FarRightOfAScrolledGrid", {1003, 52}, {1275, 79}, 10},
                      RoundTrip{"IntoTheHiddenColumns", {900, 0}, {1500, 80}, 10}),
    [](const auto& info) { return std::string(info.param.name); });

// Rectangle select and Free select through the tool: the store loses the cells, the floating
// store holds them, and the overlay sits over the cut cells.
// The overlay draws floating cell (k, l) on the pixels landingCorner + (k, l) * zoom; a drop
// from any corner, on either side of the grid's edge, must put it in the cell with those pixels.
TEST(CellMapping, TheOverlayShowsEachFloatingCellOnTheCellItLandsIn) {
    PixelStore floating;
    for (int k = 0; k < 4; ++k) {
        floating.set(k, 0, static_cast<char>('a' + k));
    }
    for (int zoom : {3, 7, 10}) {
        const CellMapping mapping(zoom);
        for (int x = -3 * zoom; x <= 3 * zoom; ++x) {
            SCOPED_TRACE("zoom " + std::to_string(zoom) + ", corner x " + std::to_string(x));
            PixelStore store;
            DropSelection(store, floating, QPoint(x, 5), QSize(4 * zoom, zoom), zoom);
            const QPoint shown = mapping.landingCorner(QPoint(x, 5));
            for (int k = 0; k < 4; ++k) {
                const QRect drawn(shown + QPoint(k * zoom, 0), QSize(zoom, zoom));
                const QPoint cell = mapping.cellAt(drawn.topLeft());
                if (cell.x() < 0) {
                    continue; // shown left of the grid: dropped
                }
                EXPECT_EQ(mapping.pixelsOf(cell), drawn);
                EXPECT_EQ(store.at(cell.x(), cell.y()), 'a' + k) << k;
            }
        }
    }
}

TEST(SelectionTools, CutAndShowTheOverlay) {
    struct Case {
        int tool;
        std::vector<testing::PointerEvent> events;
        QRect overlay;
        int trailDots;
    };
    const Case cases[] = {
        {8, {Press(5, 0), Move(8, 5), Release(10, 9)}, QRect(3, 0, 3, 9), 0},
        // The box of the path: left 4, right 17, top 2, bottom 11 (the release point is not
        // part of it).
        {9,
         {Press(10, 2), Move(4, 6), Move(17, 11), Move(12, 8), Release(40, 40)},
         QRect(3, 0, 12, 9),
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        FakeToolCanvas canvas;
        canvas.cells = PatternStore();
        const PixelStore original = canvas.cells;
        const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(c.tool);
        std::size_t trailSeen = 0;
        for (const auto& event : c.events) {
            Play(*tool, canvas, {event});
            trailSeen = std::max(trailSeen, canvas.trail.size());
            if (event.kind != testing::PointerEvent::Kind::Release) {
                ASSERT_EQ(canvas.cells, original); // the trail is only drawn
            }
        }
        EXPECT_EQ(static_cast<int>(trailSeen), c.trailDots);
        EXPECT_TRUE(canvas.trail.empty()); // the cut's redraw removed it
        EXPECT_TRUE(canvas.shown);
        EXPECT_EQ(canvas.overlay, c.overlay);
        const QRect cells(c.overlay.x() / 3, c.overlay.y() / 3, c.overlay.width() / 3,
                          c.overlay.height() / 3);
        for (int k = 0; k < cells.width(); ++k) {
            for (int l = 0; l < cells.height(); ++l) {
                EXPECT_EQ(canvas.floatingCells.at(k, l), original.at(cells.x() + k, cells.y() + l));
                EXPECT_EQ(canvas.cells.at(cells.x() + k, cells.y() + l), kPixelOff);
            }
        }
    }
}

// A new selection or text while one floats first drops the floating one where it lies, so the
// cells already cut are not lost; the drop comes before the new step.
TEST(SelectionTools, NewSelectionDropsTheFloatingOneFirst) {
    for (const int next : {8, 9, 11}) {
        SCOPED_TRACE(next);
        FakeToolCanvas canvas;
        canvas.cells = PatternStore();
        const PixelStore original = canvas.cells;
        const std::unique_ptr<DrawingTool> select = MakeDrawingTool(8);
        Play(*select, canvas, {Press(3, 0), Move(8, 5), Release(9, 6)});
        ASSERT_EQ(canvas.cells.at(1, 0), kPixelOff);
        // The overlay was dragged one cell right and one down.
        canvas.overlay.translate(3, 3);

        const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(next);
        tool->pressed(canvas, QPoint(60, 15), Qt::LeftButton);

        // A selection's step opens at the press; the text's opens when the dialog answers.
        std::vector<std::string> steps{"begin", "end Rectangle select", "begin", "drop",
                                       "end Drop"};
        if (next != 11)
            steps.emplace_back("begin");
        EXPECT_EQ(canvas.steps, steps);
        EXPECT_FALSE(canvas.shown);
        // The cut cells left behind stay blank; the dropped ones land one cell right and down.
        EXPECT_EQ(canvas.cells.at(1, 0), kPixelOff);
        EXPECT_EQ(canvas.cells.at(2, 0), kPixelOff);
        EXPECT_EQ(canvas.cells.at(1, 1), kPixelOff);
        for (int k = 0; k < 2; ++k) {
            for (int l = 0; l < 2; ++l)
                EXPECT_EQ(canvas.cells.at(2 + k, 1 + l), original.at(1 + k, l));
        }
    }
}

TEST(TextLineStep, HeightFieldAsAnInteger) {
    const std::pair<const char*, int> cases[] = {
        {"16", 16}, {"20", 20},  {" 8 ", 8},   {"0", 0},    {"-5", -5},
        {"", 16},   {"abc", 16}, {"12px", 16}, {"1.5", 16},
    };
    for (const auto& [field, step] : cases)
        EXPECT_EQ(TextLineStep(QString::fromLatin1(field)), step) << field;
}

// A mask drawn as text: "#" white, anything else black.
QImage MaskOf(const std::vector<std::string>& rows, int width = 0) {
    const int w = width > 0 ? width : static_cast<int>(rows.front().size());
    QImage mask(w, static_cast<int>(rows.size()), QImage::Format_Grayscale8);
    mask.fill(Qt::black);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
            if (rows[y][x] == '#')
                mask.setPixel(x, y, qRgb(255, 255, 255));
    return mask;
}

struct DotsCase {
    const char* name;
    std::vector<std::string> mask;
    RenderedText extent;
    QSize selection;
    std::vector<std::string> dots; // floating cells from (0, 0), "." unlit, "E" lit
};

class TextDots : public ::testing::TestWithParam<DotsCase> {};

TEST_P(TextDots, BoxRuleAndBothZeroRule) {
    const DotsCase& c = GetParam();
    PixelStore floating = Filled(kUntouched);
    EXPECT_EQ(TakeTextDots(floating, MaskOf(c.mask), c.extent, kPixelYellow), c.selection);
    std::vector<std::string> expected = c.dots;
    for (std::string& row : expected)
        for (char& cell : row)
            cell = cell == '.' ? kPixelOff : cell;
    const int columns = expected.empty() ? 0 : static_cast<int>(expected.front().size());
    const int rows = static_cast<int>(expected.size());
    EXPECT_EQ(testing::Picture(floating, columns, rows), expected);
    // The floating store was blanked first.
    EXPECT_EQ(testing::CellsOutsideNotHolding(floating, columns, rows, kPixelOff), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Text, TextDots,
    ::testing::Values(
        DotsCase{"BoxFromFirstToLastWhite",
                 {"......", "......", "..#...", "...##.", "..#...", "......"},
                 {6, 6},
                 {3, 3},
                 {"E..", ".EE", "E.."}},
        DotsCase{"BothEndsOfTheSearchIncluded",
                 {"......", ".#....", "......", "...#..", "......"},
                 {3, 3},
                 {3, 3},
                 {"E..", "...", "..E"}},
        DotsCase{"BeyondTheTextExtentIgnored",
                 {"......", ".#...#", "......", "......", "....#."},
                 {3, 3},
                 {1, 1},
                 {"E.."}},
        DotsCase{"LeftAndRightBothZeroKeepsThePlace",
                 {"....", "#...", "....", "#...", "...."},
                 {4, 5},
                 {4, 5},
                 {"....", "E...", "....", "E...", "...."}},
        DotsCase{"TopAndBottomBothZeroKeepsThePlace",
                 {".#.#.", ".....", "....."},
                 {4, 2},
                 {4, 2},
                 {".E.E.", "....."}},
        DotsCase{"NoWhiteGivesTheTextExtent", {"....", "...."}, {3, 2}, {3, 2}, {"...."}},
        DotsCase{"NoTextIsEmpty", {"."}, {0, 0}, {0, 0}, {"."}},
        DotsCase{"NegativeLineStepHasNoRows", {"#..", "..."}, {3, -16}, {3, 0}, {"..."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextDots, DotsBeyondTheFloatingStoreAreDropped) {
    std::string wide(400, '.');
    std::fill(wide.begin() + 3, wide.begin() + 301, '#');
    PixelStore floating;
    const QSize selection =
        TakeTextDots(floating, MaskOf({"", ".#", wide, ""}, 400), {400, 4}, kPixelRed);
    EXPECT_EQ(selection, QSize(160, 2));       // no larger than the floating store
    EXPECT_EQ(floating.at(0, 0), kPixelRed);   // (1, 1) of the mask
    EXPECT_EQ(floating.at(2, 1), kPixelRed);   // (3, 2)
    EXPECT_EQ(floating.at(159, 1), kPixelRed); // (161, 2), the last cell of the store
    EXPECT_EQ(floating.at(1, 1), kPixelOff);
}

bool HasFont(const QString& family) {
    return QFontInfo(QFont(family)).family() == family;
}

// A line step far beyond the mask neither overflows nor walks the whole step: the text's dots
// stay where they were drawn and the selection stays within the floating store.
TEST(TextRender, HugeLineStepStaysBounded) {
    TextRequest request =
        testing::TextOf({QStringLiteral("I"), QStringLiteral("I"), QStringLiteral("I")},
                        QStringLiteral("DejaVu Sans Mono"), 8);
    request.heightField = QStringLiteral("2000000000");
    PixelStore floating;
    const QSize selection = RenderTextSelection(floating, request, 128, 8, kPixelRed);
    EXPECT_LE(selection.width(), PixelStore::kSize);
    EXPECT_LE(selection.height(), PixelStore::kSize);
    EXPECT_GT(selection.height(), 0);
}

// One letter of a monospaced font drawn without smoothing: its dots, cut to their box, pinned.
TEST(TextRender, OneLetterIsItsPixelsInTheirBox) {
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (!HasFont(family))
        GTEST_SKIP() << "font not installed";
    TextRequest request = testing::TextOf({QStringLiteral("L")}, family, 8);
    PixelStore floating;
    const QSize selection = RenderTextSelection(floating, request, 32, 7, kPixelGreen);
    EXPECT_EQ(selection, QSize(6, 8));
    const std::vector<std::string> letter{"D@@@@@@@", "D@@@@@@@", "D@@@@@@@", "D@@@@@@@",
                                          "D@@@@@@@", "D@@@@@@@", "D@@@@@@@", "DDDDDD@@",
                                          "@@@@@@@@", "@@@@@@@@"};
    EXPECT_EQ(testing::Picture(floating, 8, 10), letter);
}

// The line step sets where the second line lies: with the box rule the selection grows by the
// difference of the steps.
TEST(TextRender, LineStepFromTheHeightField) {
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (!HasFont(family))
        GTEST_SKIP() << "font not installed";
    TextRequest request = testing::TextOf({QStringLiteral("I"), QStringLiteral("I")}, family, 8);
    PixelStore floating;
    request.heightField = QStringLiteral("20");
    const QSize at20 = RenderTextSelection(floating, request, 32, 7, kPixelRed);
    request.heightField = QStringLiteral("32");
    const QSize at32 = RenderTextSelection(floating, request, 32, 7, kPixelRed);
    request.heightField = QStringLiteral("x");
    const QSize atDefault = RenderTextSelection(floating, request, 32, 7, kPixelRed);
    EXPECT_EQ(at32.height() - at20.height(), 12);
    EXPECT_EQ(atDefault.height() - at20.height(), -4);
    EXPECT_EQ(at20.width(), at32.width());
}

// The Text tool: the press sets the anchor, the release asks for the text and shows the
// overlay there; Cancel changes nothing; an empty text gives an empty selection whose drop
// changes nothing.
TEST(TextTool, PlacesTheRenderedSelectionAtTheAnchor) {
    FakeToolCanvas canvas;
    canvas.cells = PatternStore();
    const PixelStore original = canvas.cells;
    canvas.floatingCells = Filled(kPixelGreen);
    const std::unique_ptr<DrawingTool> tool = MakeDrawingTool(11);

    canvas.nextText.reset();
    Play(*tool, canvas, {Press(7, 5), Release(30, 9)});
    EXPECT_EQ(canvas.textQuestions, 1);
    EXPECT_FALSE(canvas.shown);
    EXPECT_EQ(canvas.floatingCells, Filled(kPixelGreen));

    canvas.nextText = TextRequest{};
    Play(*tool, canvas, {Press(7, 5), Release(30, 9)});
    EXPECT_TRUE(canvas.shown);
    EXPECT_EQ(canvas.overlay, QRect(7, 5, 0, 0));
    EXPECT_EQ(canvas.floatingCells, PixelStore());
    canvas.dropFloating();
    EXPECT_EQ(canvas.cells, original);

    canvas.nextText = testing::TextOf({QStringLiteral("L")}, QStringLiteral("DejaVu Sans Mono"), 8);
    Play(*tool, canvas, {Press(7, 5), Release(30, 9)});
    PixelStore expected;
    const QSize cells = RenderTextSelection(expected, *canvas.nextText, 32, 7, kPixelRed);
    ASSERT_FALSE(cells.isEmpty());
    EXPECT_EQ(canvas.overlay, QRect(QPoint(7, 5), cells * 3));
    EXPECT_EQ(canvas.floatingCells, expected);
    EXPECT_EQ(canvas.cells, original); // the text floats until it is dropped
}

} // namespace
} // namespace lumivo::graphic
