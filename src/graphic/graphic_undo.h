#pragma once

#include "core/graphic.h"

#include <QRect>
#include <QString>
#include <QUndoCommand>

namespace lumivo::graphic {

class GraphicDocument;

// Everything one edit of the graphic editor can change: the store, the floating store, the
// overlay that shows it, and the size (Open from the list changes it).
struct EditorSnapshot {
    PixelStore store;
    PixelStore floating;
    bool overlayShown = false;
    QRect overlay; // grid pixels
    int widthIndex = 0;
    int heightIndex = 0;
    int zoom = 0; // of the overlay geometry
    bool operator==(const EditorSnapshot&) const = default;
};

// An edit of a graphic document remembered as the document before and after it: a tool's step
// (a stroke, a shape, a fill, a cut, a drop, a text placement), Clear, Open, Import or the
// blanking after Delete. The first redo, when the command is pushed, finds the edit already
// done and does nothing.
class SnapshotCommand final : public QUndoCommand {
public:
    SnapshotCommand(GraphicDocument& document, const QString& text, EditorSnapshot before,
                    EditorSnapshot after);

    void undo() override;
    void redo() override;

    const EditorSnapshot& before() const { return m_before; }
    const EditorSnapshot& after() const { return m_after; }

private:
    GraphicDocument& m_document;
    EditorSnapshot m_before;
    EditorSnapshot m_after;
    bool m_done = true;
};

} // namespace lumivo::graphic
