#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QFontDialog;

namespace Ui {
class TInputTextfrm;
}

namespace lumivo::ui {

class EditorHost;

// What the Input Text dialog collects for the graphic editor's text tool.
struct InputText {
    QStringList lines; // the memo's lines, top first
    QFont font;        // the preview font
    QColor colour;     // the preview's text colour
    int lineHeight = 16;
};

// Asks for a font, starting from `current`; `chosen` runs only when the user confirmed.
using FontChooser = std::function<void(QWidget* parent, const QFont& current,
                                       std::function<void(const QFont& font)> chosen)>;

// Input Text: text, a font and a line height for the graphic editor's text tool, with a live
// preview of 160 by 105 white pixels in which line i of the text has its top at i times the line
// height. Opened application-modal by the text tool; OK accepts, Cancel rejects.
class TInputTextfrm final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewWidth = 160;
    static constexpr int kPreviewHeight = 105;
    static constexpr int kDefaultLineHeight = 16;

    explicit TInputTextfrm(QWidget* parent = nullptr);
    ~TInputTextfrm() override;

    // The start-up factory. No menu item opens the dialog; the graphic editor receives it
    // from the start-up table and calls present().
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // Shows the dialog application-modal and returns at once; its end comes as accepted() or
    // rejected(), after which text() holds the answer.
    void present();

    // The memo's lines, the preview font and colour, and the line height.
    InputText text() const;
    // Edit3 as an integer, 16 when it is not one.
    int lineHeight() const;
    const QImage& previewImage() const { return m_preview; }

    // The font shown at the first activation, when the dialog has not been shown yet (without
    // one, Arial at 10 points, which a machine may not have): the graphic editor gives an
    // installed one that fits its graphic. The line height stays as it is.
    void setFirstFont(const QFont& font);

    // "..." opens the font dialog; a test answers it here instead.
    void setFontChooser(FontChooser chooser) { m_chooser = std::move(chooser); }

    void Button1Click();
    void Memo1Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void firstActivation();
    void applyFont(const QFont& font);
    void chooseWithFontDialog(const QFont& current, std::function<void(const QFont&)> chosen);
    void redraw();

    FontChooser m_chooser;
    QFont m_font;
    std::optional<QFont> m_firstFont;
    QColor m_colour = Qt::black;
    QImage m_preview;
    bool m_activated = false;

    std::unique_ptr<Ui::TInputTextfrm> m_ui;
    QFontDialog* m_fontDialog = nullptr;
};

} // namespace lumivo::ui
