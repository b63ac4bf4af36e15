#pragma once

// A grid without a screen for the drawing tools: it keeps the stores, records what the tools
// drew and asked for, and drops the floating selection with the same rule as the editor.

#include "core/graphic.h"
#include "graphic/drawing_tool.h"
#include "graphic/floating_selection.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumivo::graphic::testing {

class FakeToolCanvas : public ToolCanvas {
public:
    int gridWidth = 32;
    int gridHeight = 7;
    int gridZoom = 3;
    char currentColour = kPixelRed;
    PixelStore cells;
    PixelStore floatingCells;
    std::optional<TextRequest> nextText;

    RubberBand band;                     // the band on the grid now
    std::vector<RubberBand> bandHistory; // every band set, in order
    std::vector<QPoint> trail;           // trail dots since the last full redraw
    int redraws = 0;
    bool shown = false;
    QRect overlay; // grid pixels
    int textQuestions = 0;
    // "begin", "end <name>" and "drop", in order.
    std::vector<std::string> steps;

    int width() const override { return gridWidth; }
    int height() const override { return gridHeight; }
    int zoom() const override { return gridZoom; }
    char colour() const override { return currentColour; }

    const PixelStore& store() const override { return cells; }
    void setCell(int x, int y, char letter) override {
        if (x >= 0 && x < PixelStore::kSize && y >= 0 && y < PixelStore::kSize)
            cells.set(x, y, letter);
    }
    void replaceStore(const PixelStore& store) override {
        cells = store;
        redraw();
    }

    void setRubberBand(const RubberBand& newBand) override {
        band = newBand;
        bandHistory.push_back(newBand);
    }
    void drawTrailDot(int cellX, int cellY) override { trail.emplace_back(cellX, cellY); }
    void redraw() override {
        ++redraws;
        trail.clear();
    }

    const PixelStore& floating() const override { return floatingCells; }
    void replaceFloating(const PixelStore& floating) override { floatingCells = floating; }
    bool floatingShown() const override { return shown; }
    void showFloating(const QRect& gridPixels) override {
        overlay = gridPixels;
        shown = true;
    }
    void dropFloating() override {
        if (!shown)
            return;
        steps.emplace_back("drop");
        DropSelection(cells, floatingCells, overlay.topLeft(), overlay.size(), gridZoom);
        shown = false;
        redraw();
    }

    // Answers at once with `nextText`; none means Cancel.
    void askText(std::function<void(const TextRequest&)> accepted) override {
        ++textQuestions;
        if (nextText)
            accepted(*nextText);
    }

    void beginStep() override {
        ++m_openSteps;
        steps.emplace_back("begin");
    }
    void endStep(const QString& name) override {
        --m_openSteps;
        steps.push_back("end " + name.toStdString());
    }
    // Steps begun and not yet ended; a tool must never have more than one open.
    int openSteps() const { return m_openSteps; }

private:
    int m_openSteps = 0;
};

// One pointer event in grid pixels.
struct PointerEvent {
    enum class Kind { Press, Move, Release };
    Kind kind;
    QPoint at;
    Qt::MouseButton button = Qt::LeftButton;
};

inline PointerEvent Press(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    return {PointerEvent::Kind::Press, QPoint(x, y), button};
}
inline PointerEvent Move(int x, int y, Qt::MouseButton held = Qt::LeftButton) {
    return {PointerEvent::Kind::Move, QPoint(x, y), held};
}
inline PointerEvent Release(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    return {PointerEvent::Kind::Release, QPoint(x, y), button};
}

inline void Play(DrawingTool& tool, ToolCanvas& canvas, const std::vector<PointerEvent>& events) {
    for (const PointerEvent& event : events) {
        switch (event.kind) {
        case PointerEvent::Kind::Press:
            tool.pressed(canvas, event.at, event.button);
            break;
        case PointerEvent::Kind::Move:
            tool.moved(canvas, event.at,
                       event.button == Qt::NoButton ? Qt::MouseButtons()
                                                    : Qt::MouseButtons(event.button));
            break;
        case PointerEvent::Kind::Release:
            tool.released(canvas, event.at, event.button);
            break;
        }
    }
}

inline TextRequest TextOf(std::vector<QString> lines, const QString& family, int pointSize) {
    TextRequest request;
    request.lines = std::move(lines);
    request.fontFamily = family;
    request.pointSize = pointSize;
    request.heightField = QStringLiteral("16");
    return request;
}

// The store's cells of columns 0..columns-1 and rows 0..rows-1 as text, top row first.
inline std::vector<std::string> Picture(const PixelStore& store, int columns, int rows) {
    std::vector<std::string> picture;
    for (int y = 0; y < rows; ++y) {
        std::string row;
        for (int x = 0; x < columns; ++x)
            row += store.at(x, y);
        picture.push_back(row);
    }
    return picture;
}

// Cells outside columns 0..columns-1 and rows 0..rows-1 that do not hold `letter`.
inline int CellsOutsideNotHolding(const PixelStore& store, int columns, int rows, char letter) {
    int count = 0;
    for (int x = 0; x < PixelStore::kSize; ++x)
        for (int y = 0; y < PixelStore::kSize; ++y)
            if ((x >= columns || y >= rows) && store.at(x, y) != letter)
                ++count;
    return count;
}

// A store whose cell (x, y) holds one of the three lit letters, different for neighbours.
inline PixelStore PatternStore() {
    static constexpr char kLetters[] = {kPixelRed, kPixelGreen, kPixelYellow};
    PixelStore store;
    for (int x = 0; x < PixelStore::kSize; ++x)
        for (int y = 0; y < PixelStore::kSize; ++y)
            store.set(x, y, kLetters[(x + 2 * y) % 3]);
    return store;
}

} // namespace lumivo::graphic::testing
