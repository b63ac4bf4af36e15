#include "graphic/tools/fill_tool.h"

#include "graphic/tool_glyphs.h"

#include <algorithm>

namespace lumivo::graphic {

const ToolIdentity FillTool::kIdentity{12, "Fill", "Fill", "F", CrossGlyph};

void FillTool::pressed(ToolCanvas&, QPoint, Qt::MouseButton) {}

void FillTool::moved(ToolCanvas&, QPoint, Qt::MouseButtons) {}

void FillTool::released(ToolCanvas& canvas, QPoint, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    canvas.beginStep();
    PixelStore store = canvas.store();
    const int columns = std::min(canvas.width(), PixelStore::kSize);
    const int rows = std::min(canvas.height(), PixelStore::kSize);
    const char colour = canvas.colour();
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y)
            store.set(x, y, colour);
    canvas.replaceStore(store);
    canvas.endStep(undoText());
}

} // namespace lumivo::graphic
