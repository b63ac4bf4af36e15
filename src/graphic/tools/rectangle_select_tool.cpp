#include "graphic/tools/rectangle_select_tool.h"

#include "graphic/floating_selection.h"

namespace lumivo::graphic {

RectangleSelectTool::RectangleSelectTool()
    : RubberBandTool(RubberBand::Shape::Rectangle, true, false,
                     QStringLiteral("Rectangle select")) {}

void RectangleSelectTool::starting(ToolCanvas& canvas) {
    DropFloatingBeforeNewSelection(canvas);
}

void RectangleSelectTool::commit(ToolCanvas& canvas, QPoint anchor, QPoint release) {
    CutToFloating(canvas, anchor, release);
}

} // namespace lumivo::graphic
