#pragma once

#include <QDialog>
#include <QImage>

#include <memory>

namespace Ui {
class TBmpSaveLoad;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::graphic {

class TGraphicForm;

// "BmpSaveLoad": previews the graphic one pixel per dot and exchanges it with picture files
// through the editor's export and import. Application-modal; it stays open after an export or an
// import, and its preview is drawn again each time it is activated.
class TBmpSaveLoad final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewWidth = 158;
    static constexpr int kPreviewHeight = 117;

    explicit TBmpSaveLoad(QWidget* parent = nullptr);
    ~TBmpSaveLoad() override;

    // The start-up factory: `editor` opens this dialog from "Bmp...".
    static std::unique_ptr<QWidget> create(ui::EditorHost& host, TGraphicForm& editor);

    void setEditor(TGraphicForm* editor) { m_editor = editor; }
    void present();
    const QImage& preview() const { return m_preview; }
    // Draws the preview from the editor: white, then each cell of the graphic as one pixel.
    void redrawPreview();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TBmpSaveLoad> m_ui;
    TGraphicForm* m_editor = nullptr;
    QImage m_preview;
};

} // namespace lumivo::graphic
