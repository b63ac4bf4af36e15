#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/tools/tool_support.h"

namespace lumivo::graphic {

// Tool 11: the left press sets the anchor; the left release asks for the text. After OK the
// lines are rendered into dots of the current colour in the floating store, one pixel one dot,
// and the overlay is shown with its top-left corner at the anchor, ready to be dragged and
// dropped. Cancel changes nothing. A selection still floating when a text starts is dropped
// where it lies first.
class TextTool final : public DrawingTool {
public:
    static const ToolIdentity kIdentity;
    const ToolIdentity& identity() const override { return kIdentity; }
    void deactivate(ToolCanvas& canvas) override;
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    Qt::CursorShape cursorShape() const override { return Qt::IBeamCursor; }

private:
    QPoint m_anchor;
    bool m_placing = false;
};

} // namespace lumivo::graphic
