#include "graphic/tools/stroke_tool.h"

namespace lumivo::graphic {

void StrokeTool::pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    // A stroke whose release never came ends here.
    m_step.end(canvas, undoText());
    m_step.begin(canvas);
    if (m_paintsOnPress)
        paint(canvas, position);
}

void StrokeTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!(buttons & Qt::LeftButton))
        return;
    m_step.begin(canvas);
    paint(canvas, position);
}

void StrokeTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        m_step.end(canvas, undoText());
}

void StrokeTool::deactivate(ToolCanvas& canvas) {
    m_step.end(canvas, undoText());
}

} // namespace lumivo::graphic
