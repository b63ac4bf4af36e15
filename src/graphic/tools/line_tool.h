#pragma once

#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

// Tool 3: a line from the anchor's cell to the release cell, one dot wide, without
// the dot of the release cell. The rubber band is a line.
class LineTool : public MaskShapeTool {
public:
    LineTool();
};

} // namespace lumivo::graphic
