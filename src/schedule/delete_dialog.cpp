#include "schedule/delete_dialog.h"

#include "link/runners.h"
#include "schedule/page_tree_view.h"
#include "ui_delete_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <memory>

namespace lumivo::schedule {

namespace {

constexpr int kPageRole = Qt::UserRole + 10; // 0..25
constexpr int kLineRole = Qt::UserRole + 11; // -1 for a page node, 0 or 1 for a line node

} // namespace

TDeletefrm::TDeletefrm(QWidget* parent, link::SignConnection connection)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_connection(std::move(connection)), m_ui(*this, [this](Ui::TDeletefrm&) { wireForm(); }),
      m_panels(*this, {}), m_fontPanel(*this, m_ui, m_connection) {
    setObjectName(QStringLiteral("TDeletefrm"));
    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TDeletefrm::commandFinished);
    connect(m_command, &link::CommandThread::progressed, this, [this](int value, int maximum) {
        if (m_ui.isMade() && m_runningButton == m_ui->TransFont) {
            m_fontPanel.showProgress(value, maximum);
        }
    });
}

void TDeletefrm::wireForm() {
    m_panels.setPanels({m_ui->DelSchedulePanel, m_ui->DelPagePanel, m_ui->DeleteAllPanel,
                        m_ui->TransferFontPanel});
    fillLists();
    m_ui->StatusBar1->addWidget(m_ui->ProgressBar1, 1);

    connect(m_ui->ScheduleOk, &QPushButton::clicked, this, &TDeletefrm::ScheduleOkClick);
    connect(m_ui->TreeView1, &PageTreeView::markClicked, this, &TDeletefrm::TreeView1Click);
    connect(m_ui->DelPageOK, &QPushButton::clicked, this, &TDeletefrm::DelPageOKClick);
    connect(m_ui->DeleteOk, &QPushButton::clicked, this, &TDeletefrm::DeleteOkClick);
    // "Transfer" starts disabled: the font maker enables it when it opens the panel with its
    // characters.
    connect(m_ui->TransFont, &QPushButton::clicked, this, &TDeletefrm::TransFontClick);
    for (QPushButton* cancel :
         {m_ui->ScheduleCancel, m_ui->DelPageCancel, m_ui->DeleteCancel, m_ui->Button2}) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    showDeleteSchedulePanel();
}

void TDeletefrm::setVisible(bool visible) {
    if (visible) {
        m_ui.make();
    }
    QDialog::setVisible(visible);
}

TDeletefrm::~TDeletefrm() = default;

void TDeletefrm::fillLists() {
    for (QComboBox* ids : {m_ui->ComboBox1, m_ui->ComboBox2, m_ui->ComboBox3}) {
        ui::FillSignIdCombo(*ids);
    }
    ui::FillSignIdCombo(*m_ui->ComboBox4, false);

    QListWidget* tasks = m_ui->CheckListBox1;
    for (int k = 1; k <= kMaxScheduleEntries; ++k) {
        auto* item = new QListWidgetItem(QString::number(k), tasks);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Every task shows without scrolling, in the font's row height.
    tasks->setFixedSize(tasks->sizeHintForColumn(0) + 60,
                        tasks->sizeHintForRow(0) * kMaxScheduleEntries + 2 * tasks->frameWidth() +
                            4);

    PageTreeView* tree = m_ui->TreeView1;
    for (int page = 0; page < PageTreeMarks::kPages; ++page) {
        auto* pageNode = new QTreeWidgetItem(tree);
        pageNode->setText(0, QStringLiteral("Page ") + QChar(u'A' + page));
        pageNode->setData(0, kPageRole, page);
        pageNode->setData(0, kLineRole, -1);
        tree->setMark(pageNode, false);
        for (int line = 0; line < PageTreeMarks::kLines; ++line) {
            auto* lineNode = new QTreeWidgetItem(pageNode);
            lineNode->setText(0, QStringLiteral("Line ") + QString::number(line + 1));
            lineNode->setData(0, kPageRole, page);
            lineNode->setData(0, kLineRole, line);
            tree->setMark(lineNode, false);
        }
    }
}

void TDeletefrm::HidePanels() {
    m_ui.make();
    m_panels.hideAll();
}

ui::CommandPanels::Command TDeletefrm::deleteScheduleCommand() const {
    return {m_ui->DelSchedulePanel, QStringLiteral("Delete Schedule")};
}

ui::CommandPanels::Command TDeletefrm::deletePageCommand() const {
    return {m_ui->DelPagePanel, QStringLiteral("Delete page")};
}

ui::CommandPanels::Command TDeletefrm::deleteAllCommand() const {
    return {m_ui->DeleteAllPanel, QStringLiteral("Delete All"), m_ui->DeleteOk};
}

ui::CommandPanels::Command TDeletefrm::transferFontCommand() const {
    return {m_ui->TransferFontPanel, QStringLiteral("Transfer Font To Sign")};
}

void TDeletefrm::showDeleteSchedulePanel() {
    m_panels.select(deleteScheduleCommand());
}

void TDeletefrm::showDeletePagePanel() {
    m_panels.select(deletePageCommand());
}

void TDeletefrm::showDeleteAllPanel() {
    m_panels.select(deleteAllCommand());
}

void TDeletefrm::showTransferFontPanel() {
    m_panels.select(transferFontCommand());
}

void TDeletefrm::openDeleteSchedule() {
    m_panels.open(deleteScheduleCommand(), Qt::ApplicationModal);
}

void TDeletefrm::openDeletePage() {
    m_panels.open(deletePageCommand(), Qt::ApplicationModal);
}

void TDeletefrm::openDeleteAll() {
    m_panels.open(deleteAllCommand(), Qt::ApplicationModal);
}

void TDeletefrm::openTransferFont(ui::UserFontSource& source) {
    m_fontPanel.open(source, m_runningButton == m_ui->TransFont);
    m_panels.open(transferFontCommand(), Qt::NonModal);
}

std::unique_ptr<QWidget> TDeletefrm::create(ui::EditorHost& host) {
    auto window = std::make_unique<TDeletefrm>(
        nullptr, link::MakeSignConnection([&host] { return host.comPort(); }, host.settingsPath()));
    TDeletefrm* dialog = window.get();
    host.bindCommand(QStringLiteral("DeleteSchedule1"), [dialog] { dialog->openDeleteSchedule(); });
    host.bindCommand(QStringLiteral("DeletePage1"), [dialog] { dialog->openDeletePage(); });
    host.bindCommand(QStringLiteral("DeleteAll1"), [dialog] { dialog->openDeleteAll(); });
    return window;
}

std::array<bool, kMaxScheduleEntries> TDeletefrm::taskChecks() const {
    std::array<bool, kMaxScheduleEntries> checked{};
    for (int k = 0; k < kMaxScheduleEntries; ++k) {
        checked[static_cast<std::size_t>(k)] =
            m_ui->CheckListBox1->item(k)->checkState() == Qt::Checked;
    }
    return checked;
}

bool TDeletefrm::isRunning() const {
    return m_command->isRunning();
}

void TDeletefrm::TreeView1Click(QTreeWidgetItem* item) {
    const int page = item->data(0, kPageRole).toInt();
    const int line = item->data(0, kLineRole).toInt();
    if (line < 0) {
        m_marks.clickPage(page);
    } else {
        m_marks.clickLine(page, line);
    }
    refreshMarks(page);
}

void TDeletefrm::refreshMarks(int page) {
    QTreeWidgetItem* pageNode = m_ui->TreeView1->topLevelItem(page);
    m_ui->TreeView1->setMark(pageNode, m_marks.pageChecked(page));
    for (int line = 0; line < PageTreeMarks::kLines; ++line) {
        m_ui->TreeView1->setMark(pageNode->child(line), m_marks.lineChecked(page, line));
    }
}

void TDeletefrm::run(QPushButton* button, link::CommandThread::Command command,
                     bool boxBeforeEnable, std::string logName) {
    if (m_command->isRunning()) {
        return;
    }
    m_runningButton = button;
    m_failureBoxBeforeEnable = boxBeforeEnable;
    button->setEnabled(false);
    m_command->start(std::move(command), std::move(logName));
}

void TDeletefrm::commandFinished(const link::Outcome& outcome) {
    if (m_runningButton != nullptr && m_runningButton == m_ui->TransFont) {
        m_runningButton = nullptr;
        m_fontPanel.finished(outcome);
        return;
    }
    QPushButton* button = m_runningButton;
    m_runningButton = nullptr;
    if (button == nullptr) {
        return;
    }
    if (!outcome.success && !m_failureBoxBeforeEnable) {
        button->setEnabled(true);
    }
    ui::ShowOutcome(this, outcome);
    button->setEnabled(true);
}

void TDeletefrm::ScheduleOkClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_ui->ScheduleOk,
        [opener = std::move(opener), clock = std::move(clock),
         signId = ui::SignIdOf(*m_ui->ComboBox1), checked = taskChecks()](const link::Progress&) {
            return link::RunDeleteSchedules(opener, *clock, signId, checked);
        },
        false, "Delete Schedules");
}

void TDeletefrm::DelPageOKClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_ui->DelPageOK,
        [opener = std::move(opener), clock = std::move(clock),
         signId = ui::SignIdOf(*m_ui->ComboBox2),
         lines = m_marks.lineMarks()](const link::Progress&) {
            return link::RunDeletePageLines(opener, *clock, signId, lines);
        },
        true, "Delete Page Lines");
}

void TDeletefrm::DeleteOkClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_ui->DeleteOk,
        [opener = std::move(opener), clock = std::move(clock),
         signId = ui::SignIdOf(*m_ui->ComboBox3)](const link::Progress&) {
            return link::RunDeleteAll(opener, *clock, signId);
        },
        false, "Delete All");
}

void TDeletefrm::TransFontClick() {
    if (m_command->isRunning()) {
        return;
    }
    if (std::optional<link::CommandThread::Command> command = m_fontPanel.transferCommand()) {
        run(m_ui->TransFont, std::move(*command), false, "Font Transfer");
    }
}

} // namespace lumivo::schedule
