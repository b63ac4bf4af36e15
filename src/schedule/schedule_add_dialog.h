#pragma once

#include "schedule/schedule_list.h"

#include <QDateTime>
#include <QDialog>

#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class TScheduleAdd;
}

namespace lumivo::schedule {

// The schedule entry dialog. Its caption is its mode: "Schedule-Add" appends a row, anything
// else ("Schedule-Modify") replaces the row the Schedule window remembered. The fields keep what
// they held between openings.
class TScheduleAdd final : public QDialog {
    Q_OBJECT
public:
    static QString addCaption() { return QStringLiteral("Schedule-Add"); }
    static QString modifyCaption() { return QStringLiteral("Schedule-Modify"); }

    // `modifyPosition` tells OK which row a modify replaces. The time fields start at the time of
    // `now` ("hh:nn"), the date fields at its date ("mm/dd/yy").
    TScheduleAdd(QWidget* parent, ScheduleList& list, std::function<int()> modifyPosition,
                 const QDateTime& now = QDateTime::currentDateTime());
    ~TScheduleAdd() override;

    bool isAddMode() const { return windowTitle() == addCaption(); }

    // The fields as stored: a space wherever a position was left empty.
    EntryFields fields() const;
    void setFields(const EntryFields& fields);

Q_SIGNALS:
    // A row was appended or replaced.
    void listChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OKClick();
    void correctTime(QLineEdit* edit);

    ScheduleList& m_list;
    std::function<int()> m_modifyPosition;
    std::unique_ptr<Ui::TScheduleAdd> m_ui;
    bool m_centred = false;
};

} // namespace lumivo::schedule
