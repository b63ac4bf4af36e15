#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 6: the outline of the ellipse inscribed in the half-open box of the
// rectangle tools. The rubber band is an ellipse.
class EllipseTool final : public MaskShapeTool {
public:
    static const ToolIdentity kIdentity;
    EllipseTool() : MaskShapeTool(MaskShape::Ellipse) {}
    const ToolIdentity& identity() const override { return kIdentity; }
};

} // namespace lumivo::graphic
