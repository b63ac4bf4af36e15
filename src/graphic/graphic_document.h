#pragma once

#include "graphic/graphic_editor_model.h"
#include "graphic/graphic_undo.h"

#include <QRect>
#include <QString>
#include <QUndoStack>

#include <optional>

namespace lumivo::graphic {

// Where the floating selection is shown, as the window that shows it knows it.
struct FloatingPlace {
    bool shown = false;
    QRect gridPixels;
};

// What shows a graphic document: it tells where the floating selection lies, and shows the
// document again after an undo or a redo put a snapshot back.
class GraphicView {
public:
    virtual ~GraphicView() = default;
    virtual FloatingPlace floatingPlace() const = 0;
    virtual void showRestored(const EditorSnapshot& snapshot) = 0;
};

// The graphic being edited: the editor's state (the model) with its undo stack. Every edit is a
// step, opened before it changes anything and closed after; a closed step that changed the
// document becomes one command on the stack, which puts the document back and lets the view
// show it.
class GraphicDocument {
public:
    // Undo keeps this many steps; a step holds two snapshots of both stores.
    static constexpr int kUndoLimit = 100;

    GraphicDocument();

    GraphicEditorModel& model() { return m_model; }
    const GraphicEditorModel& model() const { return m_model; }
    QUndoStack& undoStack() { return m_undo; }
    void setView(GraphicView* view) { m_view = view; }

    // Opens a step unless one is open.
    void beginStep();
    bool stepOpen() const { return m_stepStart.has_value(); }
    // Closes the open step without a command (the edit did not happen).
    void cancelStep() { m_stepStart.reset(); }
    // Closes the open step; a change becomes the command `name`. Without an open step nothing
    // happens.
    void endStep(const QString& name);

    // Undo and redo wait while a step is open (a drag with the button held): the step would
    // otherwise end on top of a document it did not start from.
    void undo();
    void redo();

    EditorSnapshot snapshot() const;
    // Puts `snapshot` into the model and has the view show it.
    void restore(const EditorSnapshot& snapshot);

private:
    GraphicEditorModel m_model;
    QUndoStack m_undo;
    GraphicView* m_view = nullptr;
    std::optional<EditorSnapshot> m_stepStart;
};

} // namespace lumivo::graphic
