#pragma once

#include "graphic/drawing_tool.h"
#include "graphic/graphic_document.h"
#include "widgets/form.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QButtonGroup;
class QUndoStack;

namespace Ui {
class TGraphicForm;
}

namespace lumivo::ui {
class EditorHost;
class TInputTextfrm;
} // namespace lumivo::ui

namespace lumivo::graphic {

class ColourSwatch;
class FloatingOverlay;
class GraphicGrid;
class TBmpSaveLoad;
class TSelectGaphName;

// The graphic editor ("GraphicForm"): the graphic list with Open, Save and Delete, the size,
// zoom and colour, the grid with the twelve drawing tools and the floating selection, undo and
// redo, insertion of the graphic into the current line and the bitmap dialog. Made once at
// start; closing it only hides it and its state stays. Its controls (and the graphic list) are
// made when it is first shown or called into, the pictures of its buttons when it is first
// shown.
class TGraphicForm final : public QWidget, private GraphicView {
    Q_OBJECT
public:
    // The list panel's and the tool panel's width limits behind their splitters.
    static constexpr int kListPanelMin = 40;
    static constexpr int kListPanelMax = 130;
    static constexpr int kToolPanelMin = 50;
    static constexpr int kToolPanelMax = 140;
    // Swatch places within the colour group: triple colour (red, green, yellow, grey) and single
    // colour (red, grey).
    static constexpr int kTripleSwatchX[4] = {17, 42, 67, 92};
    static constexpr int kSingleRedX = 42;
    static constexpr int kSingleGreyX = 82;

    // `host` receives the inserted tags and tells the colour mode (null: no insertion);
    // `graphicsFolder` is where the graphic files are.
    TGraphicForm(ui::EditorHost* host, std::filesystem::path graphicsFolder,
                 QWidget* parent = nullptr);
    ~TGraphicForm() override;

    // The start-up factory: a top-level window over the program's graphics folder, bound to
    // "Edit Graphic..." and following the colour mode; the Text tool asks `textDialog`.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host, ui::TInputTextfrm& textDialog);

    // "Edit Graphic...": shows the window in its normal state.
    void showEditor();
    // Single colour: red and grey only.
    void setPaletteMode(bool single);

    void setNameDialog(TSelectGaphName* dialog);
    void setBitmapDialog(TBmpSaveLoad* dialog);

    // The Text tool's question, answered at once; by default the editor's text input dialog
    // answers, shown modally without waiting.
    using TextAsker = std::function<std::optional<TextRequest>()>;
    void setTextAsker(TextAsker asker) { m_textAsker = std::move(asker); }
    // The editor's text input dialog the Text tool asks (null: the tool asks nothing).
    void setTextDialog(ui::TInputTextfrm* dialog) { m_textDialog = dialog; }

    const GraphicEditorModel& model() const { return m_document.model(); }
    GraphicDocument& document() { return m_document; }
    ToolCanvas& canvas();
    QUndoStack& undoStack() { return m_document.undoStack(); }
    GraphicGrid* grid() const;
    FloatingOverlay* overlay() const;
    const std::filesystem::path& graphicsFolder() const { return m_folder; }
    // The graphic selected in the list; empty when none.
    QString selectedName() const;

    // The buttons' handlers.
    void InsertButtonClick();
    void SaveClick();
    void DeleteButtonClick();
    void ClearClick();
    void BmpButtonClick();
    void SaveButtonClick(); // export
    void LoadButtonClick(); // import
    // Save graphic under a chosen name (after OK of the name dialog).
    void saveAs(const QString& name);
    // Open from the list: releasing a button over the list's item `row`.
    void ListBox1MouseUp(int row);

    // Full redraw of the grid (and the overlay) from the store.
    void redraw();

    // Makes the form first: the window is built on its first show, not at start.
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Canvas;
    friend class Canvas;

    void wireForm();
    void setUpLists();
    void connectCentre();
    void connectToolPanel();
    void setUpSwatches();
    void addToolShortcuts();
    void drawButtonPictures();

    GraphicEditorModel& editModel() { return m_document.model(); }
    void chooseTool(int number);
    void chooseColour(char letter);
    void applyHeight(int index);
    void applyWidth(int index);
    void applyZoom(int index);
    void dropFloatingAsStep();
    void gridReleased(QPoint position, Qt::MouseButton button);
    bool currentIsLine2() const;
    TSelectGaphName& nameDialog();

    // What the document asks of the window that shows it.
    FloatingPlace floatingPlace() const override;
    void showRestored(const EditorSnapshot& snapshot) override;

    ui::FormOnFirstUse<Ui::TGraphicForm> m_ui;
    ui::EditorHost* m_host = nullptr;
    std::filesystem::path m_folder;
    GraphicDocument m_document;
    std::unique_ptr<Canvas> m_canvas;
    std::unique_ptr<DrawingTool> m_tool;
    TextAsker m_textAsker;
    ui::TInputTextfrm* m_textDialog = nullptr;
    TSelectGaphName* m_nameDialog = nullptr;
    std::unique_ptr<TSelectGaphName> m_ownNameDialog;
    TBmpSaveLoad* m_bitmapDialog = nullptr;
    bool m_shownBefore = false;
    bool m_picturesDrawn = false;
    bool m_singleColour = false; // the palette mode, kept until the form is made

    FloatingOverlay* m_overlay = nullptr; // over the grid, made once the grid is in its view
    QButtonGroup* m_tools = nullptr;      // the twelve tool buttons by tool number
    ColourSwatch* m_swatches[4] = {};     // red, green, yellow, grey
};

} // namespace lumivo::graphic
