#pragma once

#include "graphic/tools/rubber_band_tool.h"
#include "graphic/tools/shape_mask.h"

namespace lumivo::graphic {

// Line and the four shape tools: on release the shape from the anchor's cell to the release
// cell is drawn into the W x H mask, whose white dots become the current colour.
class MaskShapeTool : public RubberBandTool {
protected:
    explicit MaskShapeTool(MaskShape shape);

    void commit(ToolCanvas& canvas, QPoint anchor, QPoint release) override;

private:
    MaskShape m_shape;
};

} // namespace lumivo::graphic
