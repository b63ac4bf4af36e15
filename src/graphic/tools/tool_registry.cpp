#include "graphic/tools/tool_registry.h"

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

#include <array>

namespace lumivo::graphic {

namespace {

template <class Tool> constexpr ToolEntry Entry() {
    return {&Tool::kIdentity,
            []() -> std::unique_ptr<DrawingTool> { return std::make_unique<Tool>(); }};
}

const std::array<ToolEntry, 12> kTools = {
    Entry<PenTool>(),
    Entry<BrushTool>(),
    Entry<LineTool>(),
    Entry<RectangleTool>(),
    Entry<FilledRectangleTool>(),
    Entry<EllipseTool>(),
    Entry<FilledEllipseTool>(),
    Entry<RectangleSelectTool>(),
    Entry<FreeSelectTool>(),
    Entry<EraserTool>(),
    Entry<TextTool>(),
    Entry<FillTool>(),
};

} // namespace

std::span<const ToolEntry> ToolRegistry() {
    return kTools;
}

const ToolEntry* FindTool(int number) {
    for (const ToolEntry& entry : kTools) {
        if (entry.identity->number == number) {
            return &entry;
        }
    }
    return nullptr;
}

std::unique_ptr<DrawingTool> MakeDrawingTool(int number) {
    const ToolEntry* entry = FindTool(number);
    return entry != nullptr ? entry->make() : nullptr;
}

} // namespace lumivo::graphic
