#include "graphic/tools/line_tool.h"

namespace lumivo::graphic {

LineTool::LineTool() : MaskShapeTool(MaskShape::Line, QStringLiteral("Line")) {}

} // namespace lumivo::graphic
