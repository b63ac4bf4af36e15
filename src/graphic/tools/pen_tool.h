#pragma once

#include "graphic/tools/stroke_tool.h"

namespace lumivo::graphic {

// Tool 1: a left press paints the cell under the pointer with the current colour, and every
// reported position of a drag with the left button held paints its cell. Positions are not
// joined, so a fast stroke leaves gaps. One stroke, press to release, is one undo step.
class PenTool final : public StrokeTool {
public:
    static const ToolIdentity kIdentity;
    PenTool() : StrokeTool(true) {}
    const ToolIdentity& identity() const override { return kIdentity; }

protected:
    void paint(ToolCanvas& canvas, QPoint position) override;
};

} // namespace lumivo::graphic
