#include "signs/window/sign_table_model.h"

namespace lumivo::signs {

QString LastOutcomeText(const LastOutcome& last) {
    QString text = last.command;
    const QString box = QString::fromStdString(last.outcome.text).trimmed();
    if (last.cancelled) {
        text += QStringLiteral(": cancelled");
    } else if (last.outcome.success) {
        text += box.isEmpty() ? QStringLiteral(": done") : QStringLiteral(": ") + box;
    } else {
        text += QStringLiteral(": ") + (box.isEmpty() ? QStringLiteral("failed") : box);
    }
    if (last.at.isValid()) {
        text +=
            QStringLiteral(", ") + last.at.toLocalTime().toString(QStringLiteral("d MMM hh:mm:ss"));
    }
    return text;
}

QString SignEndText(const SignOutcome& end) {
    if (!end.started) {
        return QStringLiteral("not started");
    }
    QString seconds =
        QStringLiteral(" (%1 s)").arg(static_cast<double>(end.milliseconds) / 1000.0, 0, 'f', 1);
    if (end.throughService) {
        seconds.prepend(QStringLiteral(" through lumivod"));
    }
    if (end.cancelled) {
        return QStringLiteral("cancelled") + seconds;
    }
    const QString box = QString::fromStdString(end.outcome.text).trimmed();
    if (box.isEmpty()) {
        return (end.outcome.success ? QStringLiteral("done") : QStringLiteral("failed")) + seconds;
    }
    return box + seconds;
}

SignTableModel::SignTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void SignTableModel::setList(SignList list) {
    beginResetModel();
    m_list = std::move(list);
    for (auto it = m_progress.begin(); it != m_progress.end();) {
        it = m_list.find(it->first) == nullptr ? m_progress.erase(it) : std::next(it);
    }
    endResetModel();
}

QString SignTableModel::problemsText() const {
    QStringList lines;
    for (const SignListProblem& problem : m_list.problems) {
        lines.append(problem.text());
    }
    return lines.join(QStringLiteral("; "));
}

void SignTableModel::setStates(const SignStateStore* states) {
    m_states = states;
    statesChanged();
}

void SignTableModel::statesChanged() {
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0, LastOutcomeColumn), index(rowCount() - 1, LastOutcomeColumn));
    }
}

const Sign* SignTableModel::signAt(int row) const {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    return &m_list.signs[static_cast<std::size_t>(row)];
}

std::optional<int> SignTableModel::rowOf(const QString& name) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (m_list.signs[static_cast<std::size_t>(row)].name.compare(name, Qt::CaseInsensitive) ==
            0) {
            return row;
        }
    }
    return std::nullopt;
}

void SignTableModel::setProgress(const QString& name, const QString& text,
                                 std::optional<int> percent) {
    const std::optional<int> row = rowOf(name);
    if (!row) {
        return;
    }
    m_progress[signAt(*row)->name] = ProgressRow{text, percent};
    const QModelIndex cell = index(*row, Progress);
    Q_EMIT dataChanged(cell, cell);
}

void SignTableModel::clearProgress() {
    m_progress.clear();
    if (rowCount() > 0) {
        Q_EMIT dataChanged(index(0, Progress), index(rowCount() - 1, Progress));
    }
}

QString SignTableModel::progressText(const QString& name) const {
    const std::optional<int> row = rowOf(name);
    if (!row) {
        return {};
    }
    const auto it = m_progress.find(signAt(*row)->name);
    return it == m_progress.end() ? QString() : it->second.text;
}

int SignTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.signs.size());
}

int SignTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString SignTableModel::cellText(const Sign& sign, int column) const {
    switch (column) {
    case Name:
        return sign.name;
    case Line:
        return sign.port;
    case Id:
        return QString::fromStdString(sign.id);
    case Groups:
        return sign.groups.join(QStringLiteral(", "));
    case LastOutcomeColumn:
        if (m_states != nullptr) {
            if (const auto last = m_states->record(sign.name).last) {
                return LastOutcomeText(*last);
            }
        }
        return QStringLiteral("nothing sent yet");
    case Progress: {
        const auto it = m_progress.find(sign.name);
        return it == m_progress.end() ? QString() : it->second.text;
    }
    default:
        return {};
    }
}

QVariant SignTableModel::data(const QModelIndex& index, int role) const {
    const Sign* sign = index.isValid() ? signAt(index.row()) : nullptr;
    if (sign == nullptr) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return cellText(*sign, index.column());
    }
    if (role == kPercentRole && index.column() == Progress) {
        const auto it = m_progress.find(sign->name);
        if (it != m_progress.end() && it->second.percent) {
            return *it->second.percent;
        }
    }
    return {};
}

QVariant SignTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Name:
        return QStringLiteral("Name");
    case Line:
        return QStringLiteral("Line");
    case Id:
        return QStringLiteral("ID");
    case Groups:
        return QStringLiteral("Groups");
    case LastOutcomeColumn:
        return QStringLiteral("Last outcome");
    case Progress:
        return QStringLiteral("Progress");
    default:
        return {};
    }
}

} // namespace lumivo::signs
