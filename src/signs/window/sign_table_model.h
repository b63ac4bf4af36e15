#pragma once

#include "signs/dispatcher.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QAbstractTableModel>
#include <QString>

#include <map>
#include <optional>

namespace lumivo::signs {

// The last end of a command on a sign as one line of the table: "page A: done, 12 Mar 16:40:05",
// with the trimmed box text for a failure and "(cancelled)" when Cancel ended it.
QString LastOutcomeText(const LastOutcome& last);

// A sign's progress cell when its run in a send ended: "not started", "cancelled (0.4 s)", the
// trimmed box text of a failure, or "done" with the seconds it took ("done through lumivod (0.7 s)"
// for one that lumivod sent).
QString SignEndText(const SignOutcome& end);

// The signs of the list as a table: name, line, ID, groups, the last outcome with its time, and
// the progress of a send that runs. The list and the states are read from outside; the progress
// rows are set by the window as the dispatcher reports.
class SignTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Line, Id, Groups, LastOutcomeColumn, Progress, ColumnCount };
    // The progress in percent (0..100) of a sign being sent to, on the progress column; nothing
    // when no bar is to be drawn.
    static constexpr int kPercentRole = Qt::UserRole + 1;

    explicit SignTableModel(QObject* parent = nullptr);

    // The signs and problems to show; the progress rows of signs still in the list stay.
    void setList(SignList list);
    const SignList& list() const { return m_list; }
    // The one line above the table that names every problem of the list ("" when there is none).
    QString problemsText() const;

    // Where the last outcomes come from; may be null (no outcome shown).
    void setStates(const SignStateStore* states);
    // Reads the states again (after a send ended).
    void statesChanged();

    const Sign* signAt(int row) const;
    std::optional<int> rowOf(const QString& name) const;

    // The progress column of a sign: a text ("Waiting for the line", "Page A 40%", "cancelled",
    // ...) and, while it sends, the part done. Unknown names are ignored (a sign removed while the
    // send ran).
    void setProgress(const QString& name, const QString& text, std::optional<int> percent = {});
    void clearProgress();
    QString progressText(const QString& name) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct ProgressRow {
        QString text;
        std::optional<int> percent;
    };
    QString cellText(const Sign& sign, int column) const;

    SignList m_list;
    const SignStateStore* m_states = nullptr;
    std::map<QString, ProgressRow> m_progress; // by sign name
};

} // namespace lumivo::signs
