#include "graphic/tools/rectangle_select_tool.h"

#include "graphic/floating_selection.h"
#include "graphic/tool_glyphs.h"

namespace lumivo::graphic {

const ToolIdentity RectangleSelectTool::kIdentity{8, "Rectangle select", "Rectangle select", "M",
                                                  DottedRectangleGlyph};

RectangleSelectTool::RectangleSelectTool()
    : RubberBandTool(RubberBand::Shape::Rectangle, true, false) {}

void RectangleSelectTool::starting(ToolCanvas& canvas) {
    DropFloatingBeforeNewSelection(canvas);
}

void RectangleSelectTool::commit(ToolCanvas& canvas, QPoint anchor, QPoint release) {
    CutToFloating(canvas, anchor, release);
}

} // namespace lumivo::graphic
