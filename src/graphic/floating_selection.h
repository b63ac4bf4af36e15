#pragma once

#include "core/graphic.h"
#include "graphic/drawing_tool.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QFont;
class QImage;

namespace lumivo::graphic {

// The floating selection's rules, in cells and grid pixels, without a widget: cutting a part of
// the store into the floating store, dropping the floating store back where the overlay lies,
// and turning typed text into floating dots.

// Cuts the box between the grid pixels `a` and `b` (in either order) into `floating`. The box
// starts at cell (x1 div zoom, y1 div zoom) of the ordered corners and spans
// (x2 - x1) div zoom columns by (y2 - y1) div zoom rows: the count comes from the pixel distance,
// not from the cells under the two points. Floating cell (k, l) takes the store cell at
// start + (k, l), which becomes "@"; the rest of the floating store keeps its content. Cells
// outside the 160 x 160 stores are neither read nor written. Returns the cut box in cells
// (top-left cell, columns, rows).
QRect CutSelection(PixelStore& store, PixelStore& floating, QPoint a, QPoint b, int zoom);

// Grid pixels of the overlay that shows a cut box of cells: n * zoom by m * zoom pixels at the
// top-left cell's corner.
QRect OverlayOfCells(const QRect& cells, int zoom);

// CutSelection on the canvas's stores: the store loses the cut cells and is redrawn, the floating
// store takes them, and the overlay is shown over the cut box. Returns the box in cells.
QRect CutToFloating(ToolCanvas& canvas, QPoint a, QPoint b);

// Drops the floating selection shown by an overlay whose top-left corner lies at
// `overlayTopLeft` (grid pixels, scrolling taken off) and whose size is `overlaySize` (screen
// pixels). Columns left of the grid and rows above it are skipped: a corner at X < 0 skips
// (-X) div zoom columns and places the rest from column 0; a corner at X > 0 places column 0 of
// the selection at column X div zoom; rows likewise. The selection has
// overlay width div zoom columns and overlay height div zoom rows. Cells that would land outside
// the store, and floating cells beyond the floating store, are dropped.
void DropSelection(PixelStore& store, const PixelStore& floating, QPoint overlayTopLeft,
                   QSize overlaySize, int zoom);

// The Text tool's line step: the "Height:" field as an integer, 16 when it is not a number.
int TextLineStep(const QString& heightField);

inline constexpr int kDefaultTextLineStep = 16;
// The text mask is this many times the graphic's width and height.
inline constexpr int kTextMaskScale = 10;

// How far drawn text reaches in its mask: the dots are taken from this extent.
struct RenderedText {
    int textWidth = 0;  // the widest drawn line in pixels
    int textHeight = 0; // number of lines times the line step
};

// Draws the request's lines white on a black mask of 10 * width by 10 * height pixels, line i
// with its top at i * line step, in the request's font (no smoothing, 96 dots per inch so a
// point size means the same on every screen). `mask` is replaced.
RenderedText DrawTextMask(const TextRequest& request, int width, int height, QImage& mask);

// Turns the white pixels of a text mask into floating dots of `colour`. The floating store is
// first blanked. The box of white pixels is searched in columns 0..textWidth and rows
// 0..textHeight (both ends included, pixels outside the mask black); normally pixel (x, y) of the
// box becomes floating cell (x - left, y - top) and the selection is the box's size. When the
// box's left and right are both 0, or its top and bottom are both 0 (also the case when there
// is no white pixel at all), every white pixel (x, y) with x < textWidth and y < textHeight
// becomes cell (x, y) and the selection is textWidth by textHeight. Dots beyond the floating
// store are dropped. Returns the selection's size in cells, at least 0 and at most the floating
// store's 160 in each direction.
QSize TakeTextDots(PixelStore& floating, const QImage& mask, const RenderedText& extent,
                   char colour);

// The font the Text tool offers first for a graphic `graphicHeight` rows high: a family the
// machine has (the desktop's own font when it is listed, else the first listed family that
// draws), at the largest point size, up to 20, whose capitals and descenders together, drawn as
// the Text tool draws, fit in the graphic's rows. Without any such family, the desktop's font at
// the smallest size.
QFont FirstTextFont(int graphicHeight);

// DrawTextMask followed by TakeTextDots: the Text tool's whole render.
QSize RenderTextSelection(PixelStore& floating, const TextRequest& request, int width, int height,
                          char colour);

} // namespace lumivo::graphic
