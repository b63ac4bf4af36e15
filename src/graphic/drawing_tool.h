#pragma once

#include "core/graphic.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPainter;

namespace lumivo::graphic {

// The outline that follows the pointer while Line, a shape tool or Rectangle select is dragged,
// in grid pixels. The grid draws it in its paint pass over the dots; the grid under it never
// changes.
struct RubberBand {
    enum class Shape { None, Line, Rectangle, Ellipse };
    Shape shape = Shape::None;
    QPoint from;
    QPoint to;
    bool dashDot = false; // Rectangle select
    bool filled = false;  // filled shapes: filled with the current colour's screen colour
    bool operator==(const RubberBand&) const = default;
};

// What the text input dialog hands back for the Text tool.
struct TextRequest {
    std::vector<QString> lines;
    QString fontFamily;
    int pointSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString heightField; // the dialog's "Height:" text, read as the line step
};

// What a drawing tool may read and change. The graphic editor implements it over its grid; tests
// implement it with a plain fake that records what was drawn.
class ToolCanvas {
public:
    virtual ~ToolCanvas() = default;

    // Editor state: size W x H, zoom (screen pixels per cell), current colour letter.
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int zoom() const = 0;
    virtual char colour() const = 0;

    // The pixel store. setCell ignores cells outside 0..159 and repaints only that cell's
    // rectangle; replaceStore swaps in a whole store and redraws the grid.
    virtual const PixelStore& store() const = 0;
    virtual void setCell(int x, int y, char letter) = 0;
    virtual void replaceStore(const PixelStore& store) = 0;

    // The rubber band; Shape::None removes it.
    virtual void setRubberBand(const RubberBand& band) = 0;
    // A dot of the current colour drawn on a cell without changing the store (the Free select
    // trail); the next full redraw removes it.
    virtual void drawTrailDot(int cellX, int cellY) = 0;
    // Full redraw of the grid from the store.
    virtual void redraw() = 0;

    // The floating selection: its cells and the overlay that shows them. showFloating places the
    // overlay at `gridPixels` (top-left in grid pixels, size n*zoom by m*zoom) and shows it.
    virtual const PixelStore& floating() const = 0;
    virtual void replaceFloating(const PixelStore& floating) = 0;
    virtual bool floatingShown() const = 0;
    virtual void showFloating(const QRect& gridPixels) = 0;
    // Drops the shown floating selection where the overlay lies (a no-op when none is shown).
    virtual void dropFloating() = 0;

    // Opens the text input dialog and returns at once; `accepted` runs with the answer after OK,
    // never after Cancel.
    virtual void askText(std::function<void(const TextRequest&)> accepted) = 0;

    // One undoable step: everything the tool changes between beginStep and endStep (store,
    // floating store, overlay) becomes one entry named `name` on the editor's undo stack; a step
    // that changed nothing leaves no entry.
    virtual void beginStep() = 0;
    virtual void endStep(const QString& name) = 0;
};

// Who a tool is: the number of its SpeedButton, the name its button shows as a hint, the text of
// its undo steps, the key that chooses it, and the picture on its button.
struct ToolIdentity {
    int number;
    const char* name;
    const char* undoText;
    const char* shortcut; // a key sequence in its portable text form
    void (*glyph)(QPainter&);
};

// One drawing tool. Positions are grid pixels (screen pixels from the grid's top-left corner,
// scrolling already taken off); a cell is (X div zoom, Y div zoom), truncated toward zero.
// `pressed`/`released` get the button that changed, `moved` the buttons held.
class DrawingTool {
public:
    virtual ~DrawingTool() = default;

    virtual void activate(ToolCanvas&) {}
    // Called when another tool is chosen; a tool in the middle of a drag ends it cleanly.
    virtual void deactivate(ToolCanvas&) {}

    virtual void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) = 0;
    virtual void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) = 0;
    virtual void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) = 0;

    // Pointer shape over the grid.
    virtual Qt::CursorShape cursorShape() const { return Qt::CrossCursor; }

    virtual const ToolIdentity& identity() const = 0;
    // The name of the undo steps the tool makes.
    QString undoText() const { return QString::fromLatin1(identity().undoText); }
};

// Tool 1..12 (the number of its SpeedButton) from the tool registry; null for any other number.
std::unique_ptr<DrawingTool> MakeDrawingTool(int number);

} // namespace lumivo::graphic
