#include "graphic/tools/brush_tool.h"

#include <algorithm>

namespace lumivo::graphic {

namespace {
const QString kStepName = QStringLiteral("Brush");
}

void BrushTool::pressed(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    m_step.end(canvas, kStepName);
    m_step.begin(canvas);
}

void BrushTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!(buttons & Qt::LeftButton))
        return;
    // A drag that began outside the grid starts its step here.
    m_step.begin(canvas);
    const int zoom = canvas.zoom();
    const int x = std::min(CellOf(position.x(), zoom), canvas.width() - 1);
    const int y = std::min(CellOf(position.y(), zoom), canvas.height() - 1);
    const char colour = canvas.colour();
    // setCell ignores cells outside the store.
    canvas.setCell(x, y, colour);
    canvas.setCell(x + 1, y, colour);
    canvas.setCell(x, y + 1, colour);
    canvas.setCell(x + 1, y + 1, colour);
}

void BrushTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        m_step.end(canvas, kStepName);
}

void BrushTool::deactivate(ToolCanvas& canvas) {
    m_step.end(canvas, kStepName);
}

} // namespace lumivo::graphic
