#include "graphic/drawing_tool.h"
#include "graphic/tools/brush_tool.h"
#include "graphic/tools/ellipse_tool.h"
#include "graphic/tools/eraser_tool.h"
#include "graphic/tools/fill_tool.h"
#include "graphic/tools/filled_ellipse_tool.h"
#include "graphic/tools/filled_rectangle_tool.h"
#include "graphic/tools/free_select_tool.h"
#include "graphic/tools/line_tool.h"
#include "graphic/tools/pen_tool.h"
#include "graphic/tools/rectangle_select_tool.h"
#include "graphic/tools/rectangle_tool.h"
#include "graphic/tools/text_tool.h"

namespace lumivo::graphic {

std::unique_ptr<DrawingTool> MakeDrawingTool(int number) {
    switch (number) {
    case 1:
        return std::make_unique<PenTool>();
    case 2:
        return std::make_unique<BrushTool>();
    case 3:
        return std::make_unique<LineTool>();
    case 4:
        return std::make_unique<RectangleTool>();
    case 5:
        return std::make_unique<FilledRectangleTool>();
    case 6:
        return std::make_unique<EllipseTool>();
    case 7:
        return std::make_unique<FilledEllipseTool>();
    case 8:
        return std::make_unique<RectangleSelectTool>();
    case 9:
        return std::make_unique<FreeSelectTool>();
    case 10:
        return std::make_unique<EraserTool>();
    case 11:
        return std::make_unique<TextTool>();
    case 12:
        return std::make_unique<FillTool>();
    default:
        return nullptr;
    }
}

} // namespace lumivo::graphic
