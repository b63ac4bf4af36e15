#pragma once

#include "app/settings_path.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

namespace lumivo::ui {

class EditorHost;

// The COM dialog: one panel chooses the serial port the sign is wired to (the COM port setting,
// kept here for the whole run), the other inserts a display-time tag. Modal; one panel shows.
class TSetCom final : public QDialog {
    Q_OBJECT
public:
    explicit TSetCom(EditorHost& host);

    // Creates the dialog at start-up and binds "Set COM..." and "Display Time...".
    static std::unique_ptr<QWidget> Create(EditorHost& host);

    // The COM port setting as read or confirmed: 1..8 normally; 0 after confirming an empty
    // selection, or above 8 as read from the file (the serial link takes both as COM1).
    int ComPort() const { return m_comPort; }

    // "Set COM...": the COM panel, caption "Set COM".
    void ShowComPanel();
    // "Display Time...": the display time panel, caption "Display Time".
    void ShowDisplayPanel();

private:
    void OKClick();
    void DisplayTimebtnClick();
    void ComboBox1Change();
    void ShowModal();

    EditorHost& m_host;
    SettingsFile m_settings;
    int m_comPort = 1;
    QWidget* m_comPanel = nullptr;
    QWidget* m_displayPanel = nullptr;
    QComboBox* m_comboBox1 = nullptr;
    QComboBox* m_comboBox2 = nullptr;
    QLabel* m_comTarget = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_displayTimeButton = nullptr;
};

} // namespace lumivo::ui
