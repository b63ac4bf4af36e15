#pragma once

#include "graphic/drawing_tool.h"

#include <memory>
#include <span>

namespace lumivo::graphic {

// A tool as the editor lists it: who it is and how one is made.
struct ToolEntry {
    const ToolIdentity* identity;
    std::unique_ptr<DrawingTool> (*make)();
};

// The twelve drawing tools in the order of their buttons (entry i is tool i + 1).
std::span<const ToolEntry> ToolRegistry();

// The entry of tool `number`; null for a number no tool has.
const ToolEntry* FindTool(int number);

} // namespace lumivo::graphic
