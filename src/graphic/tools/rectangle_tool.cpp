#include "graphic/tools/rectangle_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity RectangleTool::kIdentity{4, "Rectangle", "Rectangle", "R", RectangleGlyph};

} // namespace lumivo::graphic
