#include "graphic/graphic_undo.h"

namespace lumivo::graphic {

SnapshotCommand::SnapshotCommand(const QString& text, EditorSnapshot before, EditorSnapshot after,
                                 SnapshotRestorer restore)
    : m_before(std::move(before)), m_after(std::move(after)), m_restore(std::move(restore)) {
    setText(text);
}

void SnapshotCommand::undo() {
    m_restore(m_before);
    m_done = false;
}

void SnapshotCommand::redo() {
    if (m_done) {
        return;
    }
    m_restore(m_after);
    m_done = true;
}

} // namespace lumivo::graphic
