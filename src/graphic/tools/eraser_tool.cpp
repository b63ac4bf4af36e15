#include "graphic/tools/eraser_tool.h"

#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity EraserTool::kIdentity{10, "Eraser", "Eraser", "X", EraserGlyph};

void EraserTool::paint(ToolCanvas& canvas, QPoint position) {
    const int zoom = canvas.zoom();
    canvas.setCell(CellOf(position.x(), zoom), CellOf(position.y(), zoom), kPixelOff);
}

} // namespace lumivo::graphic
