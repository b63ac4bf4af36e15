#include "graphic/tools/eraser_tool.h"

namespace lumivo::graphic {

namespace {
const QString kStepName = QStringLiteral("Eraser");
}

void EraserTool::pressed(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    m_step.end(canvas, kStepName);
    m_step.begin(canvas);
}

void EraserTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!(buttons & Qt::LeftButton))
        return;
    m_step.begin(canvas);
    const int zoom = canvas.zoom();
    canvas.setCell(CellOf(position.x(), zoom), CellOf(position.y(), zoom), kPixelOff);
}

void EraserTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        m_step.end(canvas, kStepName);
}

void EraserTool::deactivate(ToolCanvas& canvas) {
    m_step.end(canvas, kStepName);
}

} // namespace lumivo::graphic
