#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

namespace lumivo::graphic {

// Tool 10: a press erases nothing; each move with the left button held sets the cell under the
// pointer to "@". Press to release is one undo step.
class EraserTool : public DrawingTool {
public:
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

private:
    OpenStep m_step;
};

} // namespace lumivo::graphic
