#pragma once

#include "graphic/drawing_tool.h"

#include <QImage>
#include <QPoint>

namespace lumivo::graphic {

enum class MaskShape { Line, Rectangle, FilledRectangle, Ellipse, FilledEllipse };

// Draws a shape white into a black mask of width x height dots, in cells, with no smoothing.
// A line runs from `a` to `b`, one dot wide, without the dot at `b`. The other shapes fill or
// outline the half-open box from the smaller to the larger column and row of `a` and `b`, the
// larger column and row excluded: a rectangle its border, an ellipse the one inscribed in it.
// Nothing of a shape ever lies outside that box, and an empty box draws nothing.
QImage DrawShapeMask(MaskShape shape, QPoint a, QPoint b, int width, int height);

// Every white dot (x, y) of the mask with x < width and y < height becomes the current colour
// in the store; black dots leave their cells alone. The grid is then redrawn.
void PaintMaskDots(ToolCanvas& canvas, const QImage& mask);

} // namespace lumivo::graphic
