#pragma once

#include "app/settings_path.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TsignColorfrm;
}

namespace lumivo::ui {

class EditorHost;

// The sign colour dialog: three-colour or one-colour sign, and whether to ask at every start.
// It stays on top; at start it is modeless (the main window is disabled meanwhile), from the
// menu modal.
class TsignColorfrm final : public QDialog {
    Q_OBJECT
public:
    explicit TsignColorfrm(EditorHost& host);
    ~TsignColorfrm() override;

    // Creates the dialog at start-up and binds "Show Color Setting...".
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // Selects "TRIPLE COLOR" when color is 2, else "SINGLE COLOR"; ticks "Show when program
    // starts" when showform is 1.
    void load(int color, int showform);
    // The start-up showing: modeless.
    void showAtStart();
    // "Show Color Setting...": loads the stored values and shows the dialog modally.
    void ShowColorConfig1Click();

private:
    void Button1Click();
    void Button2Click();
    void present(Qt::WindowModality modality);

    EditorHost& m_host;
    SettingsFile m_settings;
    std::unique_ptr<Ui::TsignColorfrm> m_ui;
};

} // namespace lumivo::ui
