#include "schedule/schedule_window.h"

#include "link/command_thread.h"
#include "link/runners.h"
#include "schedule/schedule_add_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace lumivo::ui {

namespace {

QString Qt8(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter presses the focused button, as Space does.
    button->setAutoDefault(true);
    return button;
}

} // namespace

TSchedule::TSchedule(QWidget* parent, link::SignConnection connection, const QDateTime& now)
    : QWidget(parent, Qt::Window), m_connection(std::move(connection)) {
    setObjectName(QStringLiteral("TSchedule"));
    setWindowTitle(QStringLiteral("Schedule"));

    m_listView = new QTreeWidget(this);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setHeaderLabels({QStringLiteral("NO."), QStringLiteral("Start DateTime"),
                                 QStringLiteral("End DateTime"), QStringLiteral("Page")});
    m_listView->setRootIsDecorated(false);
    m_listView->setItemsExpandable(false);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setAllColumnsShowFocus(true);
    m_listView->setUniformRowHeights(true);
    const QFontMetrics metrics = m_listView->fontMetrics();
    const int dateWidth = metrics.horizontalAdvance(QStringLiteral("Start DateTime")) + 24;
    m_listView->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("NO.")) + 24);
    m_listView->setColumnWidth(1, dateWidth);
    m_listView->setColumnWidth(2, dateWidth);
    m_listView->header()->setStretchLastSection(true);
    m_listView->setMinimumSize(dateWidth * 2 + metrics.horizontalAdvance(QStringLiteral("NO.")) +
                                   metrics.horizontalAdvance(QLatin1Char('W')) * 12,
                               metrics.height() * 9);

    auto* add = Button(this, QStringLiteral("Add"), QStringLiteral("Add..."));
    auto* modify = Button(this, QStringLiteral("Modify"), QStringLiteral("Modify..."));
    auto* remove = Button(this, QStringLiteral("Delete"), QStringLiteral("Delete"));
    m_send = Button(this, QStringLiteral("Send"), QStringLiteral("Send"));

    m_signId = MakeSignIdCombo(this, QStringLiteral("ComboBox1"));
    auto* signLabel = new QLabel(QStringLiteral("Sign ID: "), this);
    signLabel->setBuddy(m_signId);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(modify);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    buttons->addWidget(signLabel);
    buttons->addWidget(m_signId);
    buttons->addWidget(m_send);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_listView, 1);
    layout->addLayout(buttons);

    m_entryDialog = new TScheduleAdd(
        this, m_list, [this] { return m_modifyPosition; }, now);
    m_command = new link::CommandThread(this);

    connect(add, &QPushButton::clicked, this, &TSchedule::AddClick);
    connect(modify, &QPushButton::clicked, this, &TSchedule::ModifyClick);
    connect(remove, &QPushButton::clicked, this, &TSchedule::DeleteClick);
    connect(m_send, &QPushButton::clicked, this, &TSchedule::SendClick);
    connect(m_entryDialog, &TScheduleAdd::listChanged, this, &TSchedule::refreshList);
    connect(m_command, &link::CommandThread::finished, this, &TSchedule::sendFinished);

    m_send->setFocus();
}

TSchedule::~TSchedule() = default;

void TSchedule::showSchedule() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

std::unique_ptr<QWidget> TSchedule::Create(EditorHost& host) {
    auto window = std::make_unique<TSchedule>(
        nullptr, link::MakeSignConnection([&host] { return host.ComPort(); }, host.SettingsPath()));
    TSchedule* schedule = window.get();
    host.BindCommand(QStringLiteral("SendbySchedule1"), [schedule] { schedule->showSchedule(); });
    return window;
}

bool TSchedule::isSending() const {
    return m_command->isRunning();
}

void TSchedule::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSchedule::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        CentreOnScreen(*this);
    }
}

int TSchedule::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_listView->selectedItems();
    return selected.isEmpty() ? -1 : m_listView->indexOfTopLevelItem(selected.constFirst());
}

void TSchedule::refreshList() {
    const int current = selectedRow();
    m_listView->clear();
    for (int row = 0; row < m_list.count(); ++row) {
        const ScheduleEntry& entry = m_list.at(row);
        m_listView->addTopLevelItem(
            new QTreeWidgetItem({Qt8(schedule::ScheduleList::rowNumber(row)), Qt8(entry.start),
                                 Qt8(entry.end), Qt8(entry.pages)}));
    }
    if (current >= 0 && current < m_list.count()) {
        m_listView->setCurrentItem(m_listView->topLevelItem(current));
    }
}

void TSchedule::AddClick() {
    m_entryDialog->setWindowTitle(TScheduleAdd::addCaption());
    m_entryDialog->show();
}

void TSchedule::ModifyClick() {
    const int row = selectedRow();
    if (row < 0) {
        ShowBox(this, MessageKind::Plain, QStringLiteral("First, Select one item"));
        return;
    }
    m_entryDialog->setWindowTitle(TScheduleAdd::modifyCaption());
    m_modifyPosition = row;
    m_entryDialog->setFields(schedule::FieldsFromEntry(m_list.at(row)));
    m_entryDialog->show();
}

void TSchedule::DeleteClick() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    m_list.remove(row);
    refreshList();
    m_listView->clearSelection();
}

void TSchedule::SendClick() {
    if (m_command->isRunning()) {
        return;
    }
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    const std::string signId = SignIdOf(*m_signId);
    std::vector<ScheduleEntry> entries = m_list.snapshot();
    m_send->setEnabled(false);
    m_command->start([opener = std::move(opener), clock = std::move(clock), signId,
                      entries = std::move(entries)](const link::Progress&) {
        return link::RunSendSchedules(opener, *clock, signId, entries);
    });
}

void TSchedule::sendFinished(const link::Outcome& outcome) {
    // A failure leaves "Send" usable before its box; a success reports first.
    if (!outcome.success) {
        m_send->setEnabled(true);
    }
    ShowOutcome(this, outcome);
    m_send->setEnabled(true);
}

} // namespace lumivo::ui
