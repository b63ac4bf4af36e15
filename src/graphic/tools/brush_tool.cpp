#include "graphic/tools/brush_tool.h"

#include "graphic/tool_glyphs.h"

#include <algorithm>

namespace lumivo::graphic {

const ToolIdentity BrushTool::kIdentity{2, "Brush", "Brush", "B", BrushGlyph};

void BrushTool::paint(ToolCanvas& canvas, QPoint position) {
    const int zoom = canvas.zoom();
    const int x = std::min(CellOf(position.x(), zoom), canvas.width() - 1);
    const int y = std::min(CellOf(position.y(), zoom), canvas.height() - 1);
    const char colour = canvas.colour();
    // setCell ignores cells outside the store.
    canvas.setCell(x, y, colour);
    canvas.setCell(x + 1, y, colour);
    canvas.setCell(x, y + 1, colour);
    canvas.setCell(x + 1, y + 1, colour);
}

} // namespace lumivo::graphic
