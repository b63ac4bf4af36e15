#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

#include <QRect>

namespace lumivo::graphic {

// Tool 9: the press starts a box at the press point; each move with the left button held widens
// the box to the pointer and leaves a trail dot of the current colour on its cell (drawn only,
// the store keeps its cells). The left release cuts the box like Rectangle select; the redraw
// removes the trail. A selection still floating when a new one starts is dropped first.
class FreeSelectTool final : public DrawingTool {
public:
    static const ToolIdentity kIdentity;
    const ToolIdentity& identity() const override { return kIdentity; }
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

private:
    void endWithoutCut(ToolCanvas& canvas);

    int m_left = 0;
    int m_right = 0;
    int m_top = 0;
    int m_bottom = 0;
    bool m_selecting = false;
    bool m_trailDrawn = false;
    OpenStep m_step;
};

} // namespace lumivo::graphic
