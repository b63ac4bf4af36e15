#pragma once

#include <QIcon>

namespace lumivo::graphic {

// The pictures of the editor's small buttons, drawn with lines and shapes (no image files):
// tools 1..12 (pencil, brush, line, rectangle, filled rectangle, ellipse, filled ellipse, dotted
// rectangle, free outline, eraser, letter A, fill cross), and the undo, redo and zoom arrows.
QIcon ToolGlyph(int tool);

enum class ActionGlyph { Undo, Redo, ZoomOut, ZoomIn };
QIcon ActionIcon(ActionGlyph glyph);

} // namespace lumivo::graphic
