#pragma once

#include "link/command_thread.h"
#include "link/outcome.h"
#include "link/sign_connection.h"
#include "schedule/font_transfer_panel.h"
#include "schedule/page_tree_marks.h"
#include "widgets/command_panels.h"
#include "widgets/font_transfer.h"
#include "widgets/form.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>

class QPushButton;
class QTreeWidgetItem;

namespace Ui {
class TDeletefrm;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::schedule {

// One window, four panels, one visible at a time: delete schedules, delete lines of pages,
// delete everything, and the font transfer panel. Each command runs on a worker thread with its
// OK button disabled and reports in a box when it ends. The task checks and the page marks keep
// their state between uses.
class TDeletefrm final : public QDialog, public ui::FontTransferPanel {
    Q_OBJECT
public:
    TDeletefrm(QWidget* parent, link::SignConnection connection);
    ~TDeletefrm() override;

    // Hide every panel, show one and set the caption; the window itself is not shown.
    void HidePanels();
    void showDeleteSchedulePanel(); // "Delete Schedule"
    void showDeletePagePanel();     // "Delete page"
    void showDeleteAllPanel();      // "Delete All", focus on its OK
    void showTransferFontPanel();   // "Transfer Font To Sign"

    // The main window's menu items "Delete Schedule...", "Delete Page..." and "Delete All...":
    // the panel, then the window, application-modal. They return at once; the window's own
    // buttons end it.
    void openDeleteSchedule();
    void openDeletePage();
    void openDeleteAll();
    // The font maker's "Transfer to Sign...": the font panel, not modal.
    void openTransferFont(ui::UserFontSource& source) override;

    // The start-up factory: a top-level window bound to the menu items of the main window.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host);

    // Makes the form first: the window is built on its first show, not at start.
    void setVisible(bool visible) override;

    const PageTreeMarks& pageMarks() const { return m_marks; }
    std::array<bool, kMaxScheduleEntries> taskChecks() const;
    bool isRunning() const;

private:
    ui::CommandPanels::Command deleteScheduleCommand() const;
    ui::CommandPanels::Command deletePageCommand() const;
    ui::CommandPanels::Command deleteAllCommand() const;
    ui::CommandPanels::Command transferFontCommand() const;
    void wireForm();
    void fillLists();

    void ScheduleOkClick();
    void DelPageOKClick();
    void DeleteOkClick();
    void TransFontClick();
    void TreeView1Click(QTreeWidgetItem* item);
    void refreshMarks(int page);

    // Starts a command with `button` disabled; `boxBeforeEnable` on failure keeps the button
    // disabled until the failure box was dismissed.
    // `logName` names the command in the frame log.
    void run(QPushButton* button, link::CommandThread::Command command, bool boxBeforeEnable,
             std::string logName);
    void commandFinished(const link::Outcome& outcome);

    link::SignConnection m_connection;
    PageTreeMarks m_marks;
    link::CommandThread* m_command = nullptr;
    QPushButton* m_runningButton = nullptr;
    bool m_failureBoxBeforeEnable = false;
    ui::FormOnFirstUse<Ui::TDeletefrm, QDialog> m_ui;
    ui::CommandPanels m_panels;
    TransferFontPanel m_fontPanel;
};

} // namespace lumivo::schedule
