#include "graphic/tools/pen_tool.h"

#include "graphic/cell_mapping.h"
#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity PenTool::kIdentity{1, "Pen", "Pen", "P", PencilGlyph};

void PenTool::paint(ToolCanvas& canvas, QPoint position) {
    const QPoint cell = CellMapping(canvas.zoom()).cellAt(position);
    // setCell ignores cells outside the store, so a drag past the grid's edge writes nothing there.
    canvas.setCell(cell.x(), cell.y(), canvas.colour());
}

} // namespace lumivo::graphic
