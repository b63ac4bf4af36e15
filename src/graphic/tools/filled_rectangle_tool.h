#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 5: the box from the smaller to the larger column and row of the anchor's
// cell and the release cell, the larger ones excluded, border and inside. The rubber band is
// filled with the current colour.
class FilledRectangleTool final : public MaskShapeTool {
public:
    static const ToolIdentity kIdentity;
    FilledRectangleTool() : MaskShapeTool(MaskShape::FilledRectangle) {}
    const ToolIdentity& identity() const override { return kIdentity; }
};

} // namespace lumivo::graphic
