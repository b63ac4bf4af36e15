#pragma once

#include "app/settings_path.h"
#include "widgets/command_panels.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TSetCom;
}

namespace lumivo::ui {

class EditorHost;

// The COM dialog: one panel chooses the serial port the sign is wired to (the COM port setting,
// kept here for the whole run), the other inserts a display-time tag. Modal; one panel shows.
class TSetCom final : public QDialog {
    Q_OBJECT
public:
    explicit TSetCom(EditorHost& host);
    ~TSetCom() override;

    // Creates the dialog at start-up and binds "Set COM..." and "Display Time...".
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // The COM port setting as read or confirmed: 1..8 normally; 0 after confirming an empty
    // selection, or above 8 as read from the file (the serial link takes both as COM1).
    int comPort() const { return m_comPort; }

    // "Set COM...": the COM panel, caption "Set COM".
    void showComPanel();
    // "Display Time...": the display time panel, caption "Display Time".
    void showDisplayPanel();

private:
    void OKClick();
    void DisplayTimebtnClick();
    void ComboBox1Change();

    EditorHost& m_host;
    SettingsFile m_settings;
    int m_comPort = 1;
    std::unique_ptr<Ui::TSetCom> m_ui;
    CommandPanels m_panels;
};

} // namespace lumivo::ui
