#include "graphic/tools/pen_tool.h"

#include "graphic/cell_mapping.h"

namespace lumivo::graphic {

void PenTool::paint(ToolCanvas& canvas, QPoint position) {
    const QPoint cell = CellMapping(canvas.zoom()).cellAt(position);
    // setCell ignores cells outside the store, so a drag past the grid's edge writes nothing there.
    canvas.setCell(cell.x(), cell.y(), canvas.colour());
}

void PenTool::endStroke(ToolCanvas& canvas) {
    if (m_stroking) {
        m_stroking = false;
        canvas.endStep(QStringLiteral("Pen"));
    }
}

void PenTool::pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    endStroke(canvas);
    canvas.beginStep();
    m_stroking = true;
    paint(canvas, position);
}

void PenTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!(buttons & Qt::LeftButton))
        return;
    if (!m_stroking) {
        // A drag that began outside the grid: the stroke starts here.
        canvas.beginStep();
        m_stroking = true;
    }
    paint(canvas, position);
}

void PenTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        endStroke(canvas);
}

void PenTool::deactivate(ToolCanvas& canvas) {
    endStroke(canvas);
}

} // namespace lumivo::graphic
