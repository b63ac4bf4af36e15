#include "graphic/tools/filled_ellipse_tool.h"

namespace lumivo::graphic {

FilledEllipseTool::FilledEllipseTool()
    : MaskShapeTool(MaskShape::FilledEllipse, QStringLiteral("Filled ellipse")) {}

} // namespace lumivo::graphic
