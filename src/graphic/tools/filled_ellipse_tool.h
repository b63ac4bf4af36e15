#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 7: the ellipse inscribed in the half-open box of the rectangle tools,
// outline and inside. The rubber band is an ellipse filled with the current colour.
class FilledEllipseTool final : public MaskShapeTool {
public:
    static const ToolIdentity kIdentity;
    FilledEllipseTool() : MaskShapeTool(MaskShape::FilledEllipse) {}
    const ToolIdentity& identity() const override { return kIdentity; }
};

} // namespace lumivo::graphic
