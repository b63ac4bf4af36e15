#pragma once

#include "core/graphic.h"

#include <QRect>
#include <QString>
#include <QUndoCommand>

#include <functional>

namespace lumivo::graphic {

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

// Puts a snapshot back into the editor and redraws.
using SnapshotRestorer = std::function<void(const EditorSnapshot&)>;

// An edit remembered as the editor before and after it. The first redo, when the command is
// pushed, finds the edit already done and does nothing.
class SnapshotCommand : public QUndoCommand {
public:
    void undo() override;
    void redo() override;

    const EditorSnapshot& before() const { return m_before; }
    const EditorSnapshot& after() const { return m_after; }

protected:
    SnapshotCommand(const QString& text, EditorSnapshot before, EditorSnapshot after,
                    SnapshotRestorer restore);

private:
    EditorSnapshot m_before;
    EditorSnapshot m_after;
    SnapshotRestorer m_restore;
    bool m_done = true;
};

// A drawing tool's step: a stroke, a shape, a fill, a cut, a drop or a text placement.
class ToolStepCommand final : public SnapshotCommand {
public:
    ToolStepCommand(const QString& toolStep, EditorSnapshot before, EditorSnapshot after,
                    SnapshotRestorer restore)
        : SnapshotCommand(toolStep, std::move(before), std::move(after), std::move(restore)) {}
};

// Clear: the whole store blanked.
class ClearCommand final : public SnapshotCommand {
public:
    ClearCommand(EditorSnapshot before, EditorSnapshot after, SnapshotRestorer restore)
        : SnapshotCommand(QStringLiteral("Clear"), std::move(before), std::move(after),
                          std::move(restore)) {}
};

// A graphic opened from the list into the store, with the size it brought.
class OpenGraphicCommand final : public SnapshotCommand {
public:
    OpenGraphicCommand(const QString& name, EditorSnapshot before, EditorSnapshot after,
                       SnapshotRestorer restore)
        : SnapshotCommand(QStringLiteral("Open ") + name, std::move(before), std::move(after),
                          std::move(restore)) {}
};

// A picture imported into the store.
class ImportPictureCommand final : public SnapshotCommand {
public:
    ImportPictureCommand(EditorSnapshot before, EditorSnapshot after, SnapshotRestorer restore)
        : SnapshotCommand(QStringLiteral("Import"), std::move(before), std::move(after),
                          std::move(restore)) {}
};

// The store blanked after its graphic's file was deleted (the file itself does not come back).
class DeleteGraphicCommand final : public SnapshotCommand {
public:
    DeleteGraphicCommand(const QString& name, EditorSnapshot before, EditorSnapshot after,
                         SnapshotRestorer restore)
        : SnapshotCommand(QStringLiteral("Delete ") + name, std::move(before), std::move(after),
                          std::move(restore)) {}
};

} // namespace lumivo::graphic
