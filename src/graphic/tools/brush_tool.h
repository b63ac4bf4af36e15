#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

namespace lumivo::graphic {

// Tool 2: a press paints nothing; each move with the left button held paints the 2 x 2 cells
// from the cell under the pointer, whose column is first lowered to W-1 and row to H-1, so a
// drag past the right or bottom edge keeps painting the last column or row (and the hidden one
// beyond it). Press to release is one undo step.
class BrushTool : public DrawingTool {
public:
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

private:
    OpenStep m_step;
};

} // namespace lumivo::graphic
