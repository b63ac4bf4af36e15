#pragma once

#include <QIcon>

class QPainter;

namespace lumivo::graphic {

struct ToolIdentity;

// The pictures of the editor's small buttons, drawn with lines and shapes on a 20 x 20 square (no
// image files). Each tool names its own; the painter arrives with a 1.5 pixel black pen.
void PencilGlyph(QPainter& p);
void BrushGlyph(QPainter& p);
void LineGlyph(QPainter& p);
void RectangleGlyph(QPainter& p);
void FilledRectangleGlyph(QPainter& p);
void EllipseGlyph(QPainter& p);
void FilledEllipseGlyph(QPainter& p);
void DottedRectangleGlyph(QPainter& p);
void FreeOutlineGlyph(QPainter& p);
void EraserGlyph(QPainter& p);
void LetterAGlyph(QPainter& p);
void CrossGlyph(QPainter& p);

// The icon of a tool's button, drawn from its glyph.
QIcon ToolIcon(const ToolIdentity& tool);

// The undo, redo and zoom arrows.
enum class ActionGlyph { Undo, Redo, ZoomOut, ZoomIn };
QIcon ActionIcon(ActionGlyph glyph);

} // namespace lumivo::graphic
