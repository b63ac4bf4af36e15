#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QPushButton;
class QSlider;

namespace lumivo::ui {

class EditorHost;

// Move Speed and Set Starting Column: two panels in the same place, one shown. OK inserts a
// "<Speed n>" or "<COL ddd>" tag into the current editor, as it is when OK is pressed, and closes
// the dialog. Modeless; both panels keep their choice between uses.
class TMoveSpeedfrm final : public QDialog {
    Q_OBJECT
public:
    // `insertTag` is the main window's tag insertion (red tag, then black typing again).
    explicit TMoveSpeedfrm(std::function<void(const QString& tag)> insertTag,
                           QWidget* parent = nullptr);

    // The start-up factory: binds "Move Speed..." and "Column...".
    static std::unique_ptr<QWidget> Create(EditorHost& host);

    // "Move Speed...": the speed panel, caption "Move Speed".
    void OpenMoveSpeed();
    // "Column...": the column panel, caption "Set Starting Column".
    void OpenColumn();

    // OK of the column panel and of the speed panel.
    void Button1Click();
    void OKClick();

    // The tags the two OK buttons insert for the current choices.
    QString ColumnTag() const;
    QString SpeedTag() const;

private:
    void showWindow();

    std::function<void(const QString&)> m_insertTag;
    QWidget* m_columnPanel = nullptr;  // Panel1
    QWidget* m_speedPanel = nullptr;   // speedPanel
    QComboBox* m_column = nullptr;     // ComboBox1
    QSlider* m_speed = nullptr;        // TrackBar1
    QPushButton* m_columnOk = nullptr; // Button1
    QPushButton* m_speedOk = nullptr;  // OK
    bool m_shown = false;
};

} // namespace lumivo::ui
