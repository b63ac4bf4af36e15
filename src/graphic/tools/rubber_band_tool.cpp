#include "graphic/tools/rubber_band_tool.h"

namespace lumivo::graphic {

RubberBandTool::RubberBandTool(RubberBand::Shape shape, bool dashDot, bool filled) {
    m_band.shape = shape;
    m_band.dashDot = dashDot;
    m_band.filled = filled;
}

void RubberBandTool::removeBand(ToolCanvas& canvas) {
    if (m_bandShown) {
        m_bandShown = false;
        canvas.setRubberBand(RubberBand{});
    }
}

void RubberBandTool::pressed(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    // A drag whose release never came ends here, without an edit.
    removeBand(canvas);
    m_step.end(canvas, undoText());

    starting(canvas);
    m_step.begin(canvas);
    m_anchor = position;
    m_dragging = true;
}

void RubberBandTool::moved(ToolCanvas& canvas, QPoint position, Qt::MouseButtons buttons) {
    if (!m_dragging || !(buttons & Qt::LeftButton))
        return;
    m_band.from = m_anchor;
    m_band.to = position;
    canvas.setRubberBand(m_band);
    m_bandShown = true;
}

void RubberBandTool::released(ToolCanvas& canvas, QPoint position, Qt::MouseButton button) {
    if (!m_dragging || button != Qt::LeftButton)
        return;
    m_dragging = false;
    removeBand(canvas);
    commit(canvas, m_anchor, position);
    m_step.end(canvas, undoText());
}

void RubberBandTool::deactivate(ToolCanvas& canvas) {
    m_dragging = false;
    removeBand(canvas);
    m_step.end(canvas, undoText());
}

} // namespace lumivo::graphic
