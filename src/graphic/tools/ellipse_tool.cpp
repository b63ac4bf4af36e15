#include "graphic/tools/ellipse_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity EllipseTool::kIdentity{6, "Ellipse", "Ellipse", "E", EllipseGlyph};

} // namespace lumivo::graphic
