#include "graphic/tools/mask_shape_tool.h"

namespace lumivo::graphic {

namespace {

RubberBand::Shape BandOf(MaskShape shape) {
    switch (shape) {
    case MaskShape::Line:
        return RubberBand::Shape::Line;
    case MaskShape::Rectangle:
    case MaskShape::FilledRectangle:
        return RubberBand::Shape::Rectangle;
    case MaskShape::Ellipse:
    case MaskShape::FilledEllipse:
        return RubberBand::Shape::Ellipse;
    }
    return RubberBand::Shape::None;
}

bool IsFilled(MaskShape shape) {
    return shape == MaskShape::FilledRectangle || shape == MaskShape::FilledEllipse;
}

} // namespace

MaskShapeTool::MaskShapeTool(MaskShape shape)
    : RubberBandTool(BandOf(shape), false, IsFilled(shape)), m_shape(shape) {}

void MaskShapeTool::commit(ToolCanvas& canvas, QPoint anchor, QPoint release) {
    const int zoom = canvas.zoom();
    const QImage mask = DrawShapeMask(m_shape, CellAt(anchor, zoom), CellAt(release, zoom),
                                      canvas.width(), canvas.height());
    PaintMaskDots(canvas, mask);
}

} // namespace lumivo::graphic
