#include "schedule/schedule_window.h"

#include "link/command_thread.h"
#include "link/runners.h"
#include "schedule/schedule_add_dialog.h"
#include "ui_schedule_window.h"
#include "widgets/editor_host.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace lumivo::schedule {

namespace {

QString Qt8(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TSchedule::TSchedule(QWidget* parent, link::SignConnection connection, const QDateTime& now)
    : QWidget(parent, Qt::Window), m_connection(std::move(connection)), m_now(now),
      m_ui(*this, [this](Ui::TSchedule&) { wireForm(); }) {
    setObjectName(QStringLiteral("TSchedule"));
    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TSchedule::sendFinished);
}

void TSchedule::wireForm() {
    // The columns fit their captions and the dates under them.
    QTreeWidget* list = m_ui->ListView1;
    const QFontMetrics metrics = list->fontMetrics();
    const int dateWidth = metrics.horizontalAdvance(QStringLiteral("Start DateTime")) + 24;
    list->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("NO.")) + 24);
    list->setColumnWidth(1, dateWidth);
    list->setColumnWidth(2, dateWidth);
    list->setMinimumSize(dateWidth * 2 + metrics.horizontalAdvance(QStringLiteral("NO.")) +
                             metrics.horizontalAdvance(QLatin1Char('W')) * 12,
                         metrics.height() * 9);
    ui::FillSignIdCombo(*m_ui->ComboBox1);

    m_entryDialog = new TScheduleAdd(
        this, m_list, [this] { return m_modifyPosition; }, m_now);

    connect(m_ui->Add, &QPushButton::clicked, this, &TSchedule::AddClick);
    connect(m_ui->Modify, &QPushButton::clicked, this, &TSchedule::ModifyClick);
    connect(m_ui->Delete, &QPushButton::clicked, this, &TSchedule::DeleteClick);
    connect(m_ui->Send, &QPushButton::clicked, this, &TSchedule::SendClick);
    connect(m_entryDialog, &TScheduleAdd::listChanged, this, &TSchedule::refreshList);

    m_ui->Send->setFocus();
}

void TSchedule::setVisible(bool visible) {
    if (visible) {
        m_ui.make();
    }
    QWidget::setVisible(visible);
}

TSchedule::~TSchedule() = default;

TScheduleAdd* TSchedule::entryDialog() const {
    m_ui.make();
    return m_entryDialog;
}

void TSchedule::showSchedule() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

std::unique_ptr<QWidget> TSchedule::create(ui::EditorHost& host) {
    auto window = std::make_unique<TSchedule>(
        nullptr, link::MakeSignConnection([&host] { return host.comPort(); }, host.settingsPath()));
    TSchedule* schedule = window.get();
    host.bindCommand(QStringLiteral("SendbySchedule1"), [schedule] { schedule->showSchedule(); });
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
        ui::CentreOnScreen(*this);
    }
}

int TSchedule::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_ui->ListView1->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->ListView1->indexOfTopLevelItem(selected.constFirst());
}

void TSchedule::refreshList() {
    const int current = selectedRow();
    m_ui->ListView1->clear();
    for (int row = 0; row < m_list.count(); ++row) {
        const ScheduleEntry& entry = m_list.at(row);
        m_ui->ListView1->addTopLevelItem(
            new QTreeWidgetItem({Qt8(ScheduleList::rowNumber(row)), Qt8(entry.start),
                                 Qt8(entry.end), Qt8(entry.pages)}));
    }
    if (current >= 0 && current < m_list.count()) {
        m_ui->ListView1->setCurrentItem(m_ui->ListView1->topLevelItem(current));
    }
}

void TSchedule::AddClick() {
    m_entryDialog->setWindowTitle(TScheduleAdd::addCaption());
    m_entryDialog->show();
}

void TSchedule::ModifyClick() {
    const int row = selectedRow();
    if (row < 0) {
        ui::ShowBox(this, ui::MessageKind::Plain, QStringLiteral("First, Select one item"));
        return;
    }
    m_entryDialog->setWindowTitle(TScheduleAdd::modifyCaption());
    m_modifyPosition = row;
    m_entryDialog->setFields(FieldsFromEntry(m_list.at(row)));
    m_entryDialog->show();
}

void TSchedule::DeleteClick() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    m_list.remove(row);
    refreshList();
    m_ui->ListView1->clearSelection();
}

void TSchedule::SendClick() {
    if (m_command->isRunning()) {
        return;
    }
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    const std::string signId = ui::SignIdOf(*m_ui->ComboBox1);
    std::vector<ScheduleEntry> entries = m_list.snapshot();
    m_ui->Send->setEnabled(false);
    m_command->start(
        [opener = std::move(opener), clock = std::move(clock), signId,
         entries = std::move(entries)](const link::Progress&) {
            return link::RunSendSchedules(opener, *clock, signId, entries);
        },
        "Send Schedules");
}

void TSchedule::sendFinished(const link::Outcome& outcome) {
    // A failure leaves "Send" usable before its box; a success reports first.
    if (!outcome.success) {
        m_ui->Send->setEnabled(true);
    }
    ui::ShowOutcome(this, outcome);
    m_ui->Send->setEnabled(true);
}

} // namespace lumivo::schedule
