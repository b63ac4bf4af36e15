#pragma once

#include "widgets/command_panels.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TMoveSpeedfrm;
}

namespace lumivo::ui {

class EditorHost;

// Move Speed and Set Starting Column: two panels in the same place, one shown. OK inserts a
// "<Speed n>" or "<COL ddd>" tag into the current editor, as it is when OK is pressed, and closes
// the dialog; Enter presses the OK of the panel shown. Modeless; both panels keep their choice
// between uses.
class TMoveSpeedfrm final : public QDialog {
    Q_OBJECT
public:
    // `insertTag` is the main window's tag insertion (red tag, then black typing again).
    explicit TMoveSpeedfrm(std::function<void(const QString& tag)> insertTag,
                           QWidget* parent = nullptr);
    ~TMoveSpeedfrm() override;

    // The start-up factory: binds "Move Speed..." and "Column...".
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // "Move Speed...": the speed panel, caption "Move Speed".
    void openMoveSpeed();
    // "Column...": the column panel, caption "Set Starting Column".
    void openColumn();

    // OK of the column panel and of the speed panel.
    void Button1Click();
    void OKClick();

    // The tags the two OK buttons insert for the current choices.
    QString columnTag() const;
    QString speedTag() const;

private:
    CommandPanels::Command speedCommand() const;

    std::function<void(const QString&)> m_insertTag;
    std::unique_ptr<Ui::TMoveSpeedfrm> m_ui;
    CommandPanels m_panels;
};

} // namespace lumivo::ui
