#include "graphic/graphic_document.h"

namespace lumivo::graphic {

GraphicDocument::GraphicDocument() {
    m_undo.setUndoLimit(kUndoLimit);
}

void GraphicDocument::beginStep() {
    if (!m_stepStart) {
        m_stepStart = snapshot();
    }
}

void GraphicDocument::endStep(const QString& name) {
    if (!m_stepStart) {
        return;
    }
    EditorSnapshot before = std::move(*m_stepStart);
    m_stepStart.reset();
    EditorSnapshot after = snapshot();
    if (after != before) {
        m_undo.push(new SnapshotCommand(*this, name, std::move(before), std::move(after)));
    }
}

void GraphicDocument::undo() {
    if (!m_stepStart) {
        m_undo.undo();
    }
}

void GraphicDocument::redo() {
    if (!m_stepStart) {
        m_undo.redo();
    }
}

EditorSnapshot GraphicDocument::snapshot() const {
    EditorSnapshot shot;
    shot.store = m_model.store();
    shot.floating = m_model.floating();
    if (m_view != nullptr) {
        const FloatingPlace place = m_view->floatingPlace();
        shot.overlayShown = place.shown;
        shot.overlay = place.gridPixels;
    }
    shot.widthIndex = m_model.widthIndex();
    shot.heightIndex = m_model.heightIndex();
    shot.zoom = m_model.zoom();
    return shot;
}

void GraphicDocument::restore(const EditorSnapshot& shot) {
    m_model.store() = shot.store;
    m_model.floating() = shot.floating;
    m_model.setWidthIndex(shot.widthIndex);
    m_model.setHeightIndex(shot.heightIndex);
    if (m_view != nullptr) {
        m_view->showRestored(shot);
    }
}

} // namespace lumivo::graphic
