#pragma once

#include "graphic/drawing_tool.h"

namespace lumivo::graphic {

// Tool 12: the left release gives every cell of the W x H graphic the current colour (with the
// grey swatch this blanks the graphic); cells beyond the graphic keep theirs. One undo step.
class FillTool final : public DrawingTool {
public:
    static const ToolIdentity kIdentity;
    const ToolIdentity& identity() const override { return kIdentity; }
    void pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
    void moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) override;
    void released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) override;
};

} // namespace lumivo::graphic
