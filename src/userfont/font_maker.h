#pragma once

#include "userfont/font_maker_model.h"
#include "userfont/font_transfer_source.h"
#include "widgets/prompter.h"

#include <QMainWindow>
#include <QWidget>

#include <memory>

namespace Ui {
class TFontMakefrm;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::userfont {

class TuEuropeanCharForm;

// The drawing area of the font maker: the chosen character's grid of 15-pixel cells, centred.
// Presses and moves with the left button toggle cells; each release stores the drawing. It
// draws nothing and takes no press until it is given the model.
class FontDrawArea final : public QWidget {
    Q_OBJECT
public:
    explicit FontDrawArea(QWidget* parent);

    void setModel(FontMakerModel* model) { m_model = model; }

Q_SIGNALS:
    void toggled(int column, int row);
    void released();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    FontMakerModel* m_model = nullptr;
    bool m_pressed = false;
};

// The font maker: a list of user characters (codes U40..U7F in the sizes 4x7, 5x7 and 6x7),
// each drawn dot by dot on an enlarged grid, saved to and opened from font files (.fon).
class TFontMakefrm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TFontMakefrm(QWidget* parent);
    ~TFontMakefrm() override;

    // "User Font Make...": shows the window without blocking, restored if minimised.
    void showFontMaker();

    // The start-up factory: a top-level window bound to the "User Font Make..." menu item.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host,
                                           ui::FontTransferPanel& transferPanel,
                                           TuEuropeanCharForm& europeanChars);

    const FontMakerModel& model() const { return m_model; }

    // "Transfer to Sign..." opens `panel` with this list, the characters the sign took drawn into
    // the picker's picture and saved as `pictureFile`. Until this is called (or with no panel)
    // the item stays disabled.
    void connectTransfer(ui::FontTransferPanel* panel, std::function<TuEuropeanCharForm*()> picker,
                         std::filesystem::path pictureFile);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fillChoices();
    void connectControls();
    void drawGlyphs();
    void addClick();
    void deleteClick();
    void listReleased(int row);
    void yesClick();
    void noClick();
    ui::FileRequest fontRequest(ui::FileRequest::Mode mode) const;
    void saveFont();
    void openFont();
    void showToggled(int column, int row);
    void refreshList();
    void refreshLabels();

    FontMakerModel m_model;
    std::unique_ptr<Ui::TFontMakefrm> m_ui;
    ui::FontTransferPanel* m_transferPanel = nullptr;
    std::unique_ptr<FontTransferSource> m_transferSource;
    QString m_fontFolder; // of the font file opened or saved last
    bool m_shownBefore = false;
    bool m_glyphsDrawn = false; // the cursor and the button glyphs, drawn when first shown
};

} // namespace lumivo::userfont
