#include "graphic/graphic_undo.h"

#include "graphic/graphic_document.h"

namespace lumivo::graphic {

SnapshotCommand::SnapshotCommand(GraphicDocument& document, const QString& text,
                                 EditorSnapshot before, EditorSnapshot after)
    : m_document(document), m_before(std::move(before)), m_after(std::move(after)) {
    setText(text);
}

void SnapshotCommand::undo() {
    m_document.restore(m_before);
    m_done = false;
}

void SnapshotCommand::redo() {
    if (m_done) {
        return;
    }
    m_document.restore(m_after);
    m_done = true;
}

} // namespace lumivo::graphic
