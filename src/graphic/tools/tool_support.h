#pragma once

#include "graphic/cell_mapping.h"
#include "graphic/drawing_tool.h"

#include <QString>

namespace lumivo::graphic {

// Grid pixels to a cell index, by the grid's own mapping.
inline int CellOf(int gridPixel, int zoom) {
    return CellMapping(zoom).cellOf(gridPixel);
}

inline QPoint CellAt(QPoint gridPixels, int zoom) {
    return CellMapping(zoom).cellAt(gridPixels);
}

// The undo step a tool has open: opened once when an edit starts, closed once when it ends, so
// every stroke, shape, cut or text placement is exactly one step however it ends.
class OpenStep {
public:
    bool isOpen() const { return m_open; }
    void begin(ToolCanvas& canvas) {
        if (!m_open) {
            canvas.beginStep();
            m_open = true;
        }
    }
    void end(ToolCanvas& canvas, const QString& name) {
        if (m_open) {
            m_open = false;
            canvas.endStep(name);
        }
    }

private:
    bool m_open = false;
};

// A new selection or text would overwrite the floating store, whose cells are already cut from
// the graphic: the floating selection is dropped where it lies first, as an undo step of its
// own before the new one opens.
inline void DropFloatingBeforeNewSelection(ToolCanvas& canvas) {
    if (canvas.floatingShown()) {
        canvas.beginStep();
        canvas.dropFloating();
        canvas.endStep(QStringLiteral("Drop"));
    }
}

} // namespace lumivo::graphic
