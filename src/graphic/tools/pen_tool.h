#pragma once

#include "graphic/drawing_tool.h"

namespace lumivo::graphic {

// Tool 1: a left press paints the cell under the pointer with the current colour, and every
// reported position of a drag with the left button held paints its cell. Positions are not
// joined, so a fast stroke leaves gaps. One stroke, press to release, is one undo step.
class PenTool : public DrawingTool {
public:
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

private:
    void paint(ToolCanvas& canvas, QPoint position);
    void endStroke(ToolCanvas& canvas);

    bool m_stroking = false;
};

} // namespace lumivo::graphic
