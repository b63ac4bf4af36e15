#include "graphic/tools/filled_rectangle_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity FilledRectangleTool::kIdentity{5, "Filled rectangle", "Filled rectangle",
                                                  "Shift+R", FilledRectangleGlyph};

} // namespace lumivo::graphic
