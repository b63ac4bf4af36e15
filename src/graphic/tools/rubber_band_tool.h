#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

#include <QString>

namespace lumivo::graphic {

// The common life of Line, the shape tools and Rectangle select: a left press sets the anchor,
// each move with the left button held moves the rubber band from the anchor to the pointer, and
// the left release removes the band and commits from the anchor to the release point. Press to
// release is one undo step.
class RubberBandTool : public DrawingTool {
public:
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;

protected:
    RubberBandTool(RubberBand::Shape shape, bool dashDot, bool filled);

    // Runs on a left press before the step opens.
    virtual void starting(ToolCanvas&) {}
    // The edit, from the anchor to the release point in grid pixels.
    virtual void commit(ToolCanvas& canvas, QPoint anchor, QPoint release) = 0;

private:
    void removeBand(ToolCanvas& canvas);

    RubberBand m_band;
    QPoint m_anchor;
    bool m_dragging = false;
    bool m_bandShown = false;
    OpenStep m_step;
};

} // namespace lumivo::graphic
