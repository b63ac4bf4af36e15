#pragma once

#include "core/graphic.h"
#include "graphic/drawing_tool.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>
#include <vector>

namespace lumivo::graphic {

// The look of one LED dot at a zoom: a zoom x zoom square, black, with the filled circle
// inscribed in it in a letter's screen colour and a one-pixel black outline.
class DotSprites {
public:
    explicit DotSprites(int zoom = 3);
    int zoom() const { return m_zoom; }
    // The square of a letter (grey for "@" and any letter that is not a dot colour).
    const QImage& of(char letter) const;

private:
    int m_zoom;
    std::array<QImage, 4> m_images; // off, red, green, yellow
};

// Draws cells [0, columns) x [0, rows) of `store` into `image` (which must be at least
// columns * zoom by rows * zoom, Format_RGB32) as LED dots; only cells that meet `cells` are
// drawn.
void DrawDots(QImage& image, const PixelStore& store, const DotSprites& sprites,
              const QRect& cells);

// The whole grid of a width x height graphic at a zoom: black with a dot per cell.
QImage RenderGrid(const PixelStore& store, int width, int height, int zoom);

// The grid widget ("Image1"): the graphic's dots on black, W * zoom by H * zoom pixels, kept in
// an image that a cell change updates in place, so only that cell's rectangle is repainted. The
// paint pass draws the rubber band and the Free select trail over the dots. Mouse events are
// reported in grid pixels.
class GraphicGrid final : public QWidget {
    Q_OBJECT
public:
    explicit GraphicGrid(QWidget* parent = nullptr);

    // Full redraw from the store at a size and zoom; removes the trail.
    void showGraphic(const PixelStore& store, int width, int height, int zoom);
    // Redraws one cell from the store and repaints only its rectangle; cells beyond the graphic
    // are not shown.
    void updateCell(const PixelStore& store, int x, int y);
    // The band in grid pixels, filled with `fill` when the band asks for it.
    void setRubberBand(const RubberBand& band, QColor fill);
    const RubberBand& rubberBand() const { return m_band; }
    // A dot of `letter` over a cell until the next full redraw.
    void addTrailDot(int x, int y, char letter);

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    int zoom() const { return m_sprites.zoom(); }
    // The dots as they stand, without band and trail.
    const QImage& image() const { return m_image; }
    // The region repainted since the last call (a test reads what a change asked to repaint).
    QRect takeRequestedRepaint();

Q_SIGNALS:
    void pressed(QPoint position, Qt::MouseButton button);
    void moved(QPoint position, Qt::MouseButtons buttons);
    void released(QPoint position, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void requestRepaint(const QRect& rect);
    void paintBand(QPainter& painter) const;

    QImage m_image;
    DotSprites m_sprites;
    int m_columns = 0;
    int m_rows = 0;
    RubberBand m_band;
    QColor m_bandFill;
    struct TrailDot {
        int x;
        int y;
        char letter;
    };
    std::vector<TrailDot> m_trail;
    QRect m_requested;
};

// The overlay ("AssistImage") that shows the floating selection over the grid: black with a
// white frame and the floating cells as dots, drawn on the very cells a drop puts them in (its
// place is kept unsnapped, as the pointer moved it, and shown at the cell under its corner). It
// lies over the scroll area's view, in front of the grid, so it stays visible beyond the grid's
// edges; its place is kept in grid pixels and it follows the grid when that scrolls. A left drag
// moves it with the pointer, unsnapped; a right-button release asks for the drop. Make it once the
// grid is in its scroll area.
class FloatingOverlay final : public QWidget {
    Q_OBJECT
public:
    explicit FloatingOverlay(GraphicGrid* grid);

    // Shows the n x m cells of `floating` at `gridPixels` (n = width div zoom, m likewise).
    void present(const PixelStore& floating, const QRect& gridPixels, int zoom);
    void refresh(const PixelStore& floating, int zoom);
    // Where the overlay lies, in grid pixels, unsnapped; it is shown at the landing corner of
    // this place (CellMapping::landingCorner).
    QRect gridGeometry() const { return QRect(m_gridPosition, size()); }

Q_SIGNALS:
    void dropRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void place();

    GraphicGrid* m_grid;
    QImage m_image;
    int m_zoom = 1;
    QPoint m_gridPosition;  // unsnapped, in grid pixels
    QPoint m_pressGlobal;   // where a drag began on the screen
    QPoint m_pressPosition; // and m_gridPosition then
    bool m_dragging = false;
};

} // namespace lumivo::graphic
