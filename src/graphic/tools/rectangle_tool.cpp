#include "graphic/tools/rectangle_tool.h"

namespace lumivo::graphic {

RectangleTool::RectangleTool() : MaskShapeTool(MaskShape::Rectangle, QStringLiteral("Rectangle")) {}

} // namespace lumivo::graphic
