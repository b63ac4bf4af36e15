#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 3: a line from the anchor's cell to the release cell, one dot wide, without
// the dot of the release cell. The rubber band is a line.
class LineTool final : public MaskShapeTool {
public:
    static const ToolIdentity kIdentity;
    LineTool() : MaskShapeTool(MaskShape::Line) {}
    const ToolIdentity& identity() const override { return kIdentity; }
};

} // namespace lumivo::graphic
