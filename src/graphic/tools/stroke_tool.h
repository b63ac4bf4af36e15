#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

namespace lumivo::graphic {

// The common life of Pen, Brush and Eraser: a left press opens the stroke, each move with the
// left button held paints at the pointer, and the left release closes it. A drag that began
// outside the grid opens its stroke at its first move. One stroke is one undo step.
class StrokeTool : public DrawingTool {
public:
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

protected:
    explicit StrokeTool(bool paintsOnPress) : m_paintsOnPress(paintsOnPress) {}
    // Paints what the tool paints at `position` (grid pixels).
    virtual void paint(ToolCanvas& canvas, QPoint position) = 0;

private:
    bool m_paintsOnPress;
    OpenStep m_step;
};

} // namespace lumivo::graphic
