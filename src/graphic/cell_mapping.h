#pragma once

#include <QPoint>
#include <QRect>

namespace lumivo::graphic {

// The one mapping between cells of the graphic and grid pixels at a zoom. Cell (x, y) covers the
// zoom x zoom square from (x * zoom, y * zoom); a grid pixel (X, Y) lies in cell (X div zoom,
// Y div zoom), truncated toward zero. The grid draws its dots with it, the tools find their
// cells with it, and the overlay draws the floating selection at the cells a drop puts it in.
class CellMapping {
public:
    explicit CellMapping(int zoom) : m_zoom(zoom > 0 ? zoom : 1) {}

    int zoom() const { return m_zoom; }

    int cellOf(int gridPixel) const { return gridPixel / m_zoom; }
    QPoint cellAt(QPoint gridPixel) const {
        return QPoint(cellOf(gridPixel.x()), cellOf(gridPixel.y()));
    }

    // The grid pixels of a cell, and of a box of cells.
    QRect pixelsOf(QPoint cell) const {
        return QRect(cell.x() * m_zoom, cell.y() * m_zoom, m_zoom, m_zoom);
    }
    QRect pixelsOf(const QRect& cells) const {
        return QRect(cells.x() * m_zoom, cells.y() * m_zoom, cells.width() * m_zoom,
                     cells.height() * m_zoom);
    }

    // Where the first cell of a floating selection lands when its overlay's top-left corner lies
    // at `overlayTopLeft`: the corner of the cell under it, toward zero on either side of the
    // grid's edge. Floating cell (k, l) lands k cells right of it and l cells down, so the
    // overlay shows it on the cell it will take.
    QPoint landingCorner(QPoint overlayTopLeft) const {
        return pixelsOf(cellAt(overlayTopLeft)).topLeft();
    }

private:
    int m_zoom;
};

} // namespace lumivo::graphic
