#include "graphic/tools/filled_rectangle_tool.h"

namespace lumivo::graphic {

FilledRectangleTool::FilledRectangleTool()
    : MaskShapeTool(MaskShape::FilledRectangle, QStringLiteral("Filled rectangle")) {}

} // namespace lumivo::graphic
