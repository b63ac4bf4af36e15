#pragma once

#include "graphic/tools/rubber_band_tool.h"

namespace lumivo::graphic {

// Tool 8: a dash-dot rubber band from the anchor; the left release cuts the box between the
// anchor and the release point into the floating store and shows the overlay over it. A
// selection still floating when a new one starts is dropped where it lies first.
class RectangleSelectTool final : public RubberBandTool {
public:
    static const ToolIdentity kIdentity;
    RectangleSelectTool();
    const ToolIdentity& identity() const override { return kIdentity; }

protected:
    void starting(ToolCanvas& canvas) override;
    void commit(ToolCanvas& canvas, QPoint anchor, QPoint release) override;
};

} // namespace lumivo::graphic
