#pragma once

#include "link/outcome.h"
#include "link/sign_connection.h"
#include "schedule/schedule_list.h"
#include "widgets/form.h"

#include <QDateTime>
#include <QWidget>

#include <memory>

namespace Ui {
class TSchedule;
}

namespace lumivo::link {
class CommandThread;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::schedule {

class TScheduleAdd;

// The Schedule window: the list of up to five schedules, their entry dialog, and Send, which
// writes one frame per row to the chosen sign on a worker thread. Not modal; it can be minimised
// and is brought back by showSchedule().
class TSchedule final : public QWidget {
    Q_OBJECT
public:
    // The window's controls and its entry dialog (whose time and date fields start at `now`) are
    // made when the window is first shown or called into.
    TSchedule(QWidget* parent, link::SignConnection connection,
              const QDateTime& now = QDateTime::currentDateTime());
    ~TSchedule() override;

    // "Display by Schedule...": shows the window without blocking, restored if minimised.
    void showSchedule();

    // The start-up factory: a top-level window (with its entry dialog) bound to the main
    // window's "Display by Schedule..." item.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host);

    TScheduleAdd* entryDialog() const;
    const ScheduleList& scheduleList() const { return m_list; }
    // The row the last "Modify..." opened the entry dialog on.
    int modifyPosition() const { return m_modifyPosition; }
    bool isSending() const;

    // Makes the form first: the window is built on its first show, not at start.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void wireForm();
    void AddClick();
    void ModifyClick();
    void DeleteClick();
    void SendClick();
    void sendFinished(const link::Outcome& outcome);
    void refreshList();
    int selectedRow() const;

    link::SignConnection m_connection;
    QDateTime m_now;
    ScheduleList m_list;
    int m_modifyPosition = 0;
    TScheduleAdd* m_entryDialog = nullptr;
    link::CommandThread* m_command = nullptr;
    ui::FormOnFirstUse<Ui::TSchedule> m_ui;
    bool m_centred = false;
};

} // namespace lumivo::schedule
