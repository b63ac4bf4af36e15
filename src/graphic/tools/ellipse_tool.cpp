#include "graphic/tools/ellipse_tool.h"

namespace lumivo::graphic {

EllipseTool::EllipseTool() : MaskShapeTool(MaskShape::Ellipse, QStringLiteral("Ellipse")) {}

} // namespace lumivo::graphic
