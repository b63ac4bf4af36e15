#pragma once

#include "graphic/tools/stroke_tool.h"

namespace lumivo::graphic {

// Tool 2: a press paints nothing; each move with the left button held paints the 2 x 2 cells
// from the cell under the pointer, whose column is first lowered to W-1 and row to H-1, so a
// drag past the right or bottom edge keeps painting the last column or row (and the hidden one
// beyond it). Press to release is one undo step.
class BrushTool final : public StrokeTool {
public:
    static const ToolIdentity kIdentity;
    BrushTool() : StrokeTool(false) {}
    const ToolIdentity& identity() const override { return kIdentity; }

protected:
    void paint(ToolCanvas& canvas, QPoint position) override;
};

} // namespace lumivo::graphic
