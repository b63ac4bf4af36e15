#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 4: the border of the box from the smaller to the larger column and row of
// the anchor's cell and the release cell, the larger ones excluded.
class RectangleTool final : public MaskShapeTool {
public:
    static const ToolIdentity kIdentity;
    RectangleTool() : MaskShapeTool(MaskShape::Rectangle) {}
    const ToolIdentity& identity() const override { return kIdentity; }
};

} // namespace lumivo::graphic
