#include "graphic/tools/free_select_tool.h"

#include "graphic/floating_selection.h"
#include "graphic/tool_glyphs.h"

#include <algorithm>

namespace lumivo::graphic {

const ToolIdentity FreeSelectTool::kIdentity{9, "Free select", "Free select", "Shift+M",
                                             FreeOutlineGlyph};

void FreeSelectTool::endWithoutCut(ToolCanvas& canvas) {
    m_selecting = false;
    if (m_trailDrawn) {
        m_trailDrawn = false;
        canvas.redraw();
    }
    m_step.end(canvas, undoText());
}

void FreeSelectTool::pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    endWithoutCut(canvas);
    DropFloatingBeforeNewSelection(canvas);
    m_step.begin(canvas);
    m_left = m_right = position.x();
    m_top = m_bottom = position.y();
    m_selecting = true;
}

void FreeSelectTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!m_selecting || !(buttons & Qt::LeftButton))
        return;
    m_left = std::min(m_left, position.x());
    m_right = std::max(m_right, position.x());
    m_top = std::min(m_top, position.y());
    m_bottom = std::max(m_bottom, position.y());
    const int zoom = canvas.zoom();
    canvas.drawTrailDot(CellOf(position.x(), zoom), CellOf(position.y(), zoom));
    m_trailDrawn = true;
}

void FreeSelectTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (!m_selecting || button != Qt::LeftButton)
        return;
    m_selecting = false;
    // The cut redraws the grid from the store, which removes the trail.
    m_trailDrawn = false;
    CutToFloating(canvas, QPoint(m_left, m_top), QPoint(m_right, m_bottom));
    m_step.end(canvas, undoText());
}

void FreeSelectTool::deactivate(ToolCanvas& canvas) {
    endWithoutCut(canvas);
}

} // namespace lumivo::graphic
