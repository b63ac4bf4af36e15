#include "graphic/tools/line_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity LineTool::kIdentity{3, "Line", "Line", "L", LineGlyph};

} // namespace lumivo::graphic
