#include "graphic/tools/filled_ellipse_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity FilledEllipseTool::kIdentity{7, "Filled ellipse", "Filled ellipse", "Shift+E",
                                                FilledEllipseGlyph};

} // namespace lumivo::graphic
