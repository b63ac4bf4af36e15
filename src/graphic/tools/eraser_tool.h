#pragma once

#include "graphic/tools/stroke_tool.h"

namespace lumivo::graphic {

// Tool 10: a press erases nothing; each move with the left button held sets the cell under the
// pointer to "@". Press to release is one undo step.
class EraserTool final : public StrokeTool {
public:
    static const ToolIdentity kIdentity;
    EraserTool() : StrokeTool(false) {}
    const ToolIdentity& identity() const override { return kIdentity; }

protected:
    void paint(ToolCanvas& canvas, QPoint position) override;
};

} // namespace lumivo::graphic
