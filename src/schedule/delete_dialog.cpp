#include "schedule/delete_dialog.h"

#include "link/runners.h"
#include "schedule/page_tree_view.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace lumivo::ui {

namespace {

constexpr int kPageRole = Qt::UserRole + 10; // 0..25
constexpr int kLineRole = Qt::UserRole + 11; // -1 for a page node, 0 or 1 for a line node

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QWidget* Panel(QWidget* parent, const QString& name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    // Wide enough for the longest caption, "Transfer Font To Sign", in the title bar.
    panel->setMinimumWidth(260);
    panel->hide();
    return panel;
}

QHBoxLayout* SignIdRow(QWidget* panel, const QString& label, QComboBox* combo) {
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(label, panel);
    caption->setBuddy(combo);
    row->addWidget(caption);
    row->addWidget(combo);
    row->addStretch(1);
    return row;
}

QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace

TDeletefrm::TDeletefrm(QWidget* parent, link::SignConnection connection)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_connection(std::move(connection)) {
    setObjectName(QStringLiteral("TDeletefrm"));
    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TDeletefrm::commandFinished);
    connect(m_command, &link::CommandThread::progressed, this, [this](int value, int maximum) {
        if (m_runningButton == m_transFont) {
            m_fontProgress->setMaximum(maximum);
            m_fontProgress->setValue(value);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_schedulePanel = makeSchedulePanel();
    m_pagePanel = makePagePanel();
    m_allPanel = makeAllPanel();
    m_fontPanel = makeFontPanel();
    for (QWidget* panel : {m_schedulePanel, m_pagePanel, m_allPanel, m_fontPanel}) {
        layout->addWidget(panel);
    }
    showDeleteSchedulePanel();
}

TDeletefrm::~TDeletefrm() = default;

QWidget* TDeletefrm::makeSchedulePanel() {
    QWidget* panel = Panel(this, QStringLiteral("DelSchedulePanel"));
    m_scheduleSignId = MakeSignIdCombo(panel, QStringLiteral("ComboBox1"));

    m_tasks = new QListWidget(panel);
    m_tasks->setObjectName(QStringLiteral("CheckListBox1"));
    for (int k = 1; k <= kMaxScheduleEntries; ++k) {
        auto* item = new QListWidgetItem(QString::number(k), m_tasks);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_tasks->setFixedSize(m_tasks->sizeHintForColumn(0) + 60,
                          m_tasks->sizeHintForRow(0) * kMaxScheduleEntries +
                              2 * m_tasks->frameWidth() + 4);

    m_scheduleOk = Button(panel, QStringLiteral("ScheduleOk"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("ScheduleCancel"), QStringLiteral("Cancel"));

    auto* tasks = new QHBoxLayout;
    auto* taskLabel = new QLabel(QStringLiteral("Task NO."), panel);
    taskLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tasks->addWidget(taskLabel);
    tasks->addWidget(m_tasks);
    tasks->addStretch(1);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(SignIdRow(panel, QStringLiteral("Sign ID: "), m_scheduleSignId));
    layout->addLayout(tasks);
    layout->addLayout(ButtonRow(m_scheduleOk, cancel));

    connect(m_scheduleOk, &QPushButton::clicked, this, &TDeletefrm::ScheduleOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TDeletefrm::makePagePanel() {
    QWidget* panel = Panel(this, QStringLiteral("DelPagePanel"));
    m_pageSignId = MakeSignIdCombo(panel, QStringLiteral("ComboBox2"));

    m_tree = new PageTreeView(panel);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    for (int page = 0; page < schedule::PageTreeMarks::kPages; ++page) {
        auto* pageNode = new QTreeWidgetItem(m_tree);
        pageNode->setText(0, QStringLiteral("Page ") + QChar(u'A' + page));
        pageNode->setData(0, kPageRole, page);
        pageNode->setData(0, kLineRole, -1);
        m_tree->setMark(pageNode, false);
        for (int line = 0; line < schedule::PageTreeMarks::kLines; ++line) {
            auto* lineNode = new QTreeWidgetItem(pageNode);
            lineNode->setText(0, QStringLiteral("Line ") + QString::number(line + 1));
            lineNode->setData(0, kPageRole, page);
            lineNode->setData(0, kLineRole, line);
            m_tree->setMark(lineNode, false);
        }
    }
    m_tree->setFixedSize(220, 260);

    m_pageOk = Button(panel, QStringLiteral("DelPageOK"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("DelPageCancel"), QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(SignIdRow(panel, QStringLiteral("Sign ID: "), m_pageSignId));
    layout->addWidget(m_tree);
    layout->addLayout(ButtonRow(m_pageOk, cancel));

    connect(m_tree, &PageTreeView::markClicked, this, &TDeletefrm::TreeView1Click);
    connect(m_pageOk, &QPushButton::clicked, this, &TDeletefrm::DelPageOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TDeletefrm::makeAllPanel() {
    QWidget* panel = Panel(this, QStringLiteral("DeleteAllPanel"));
    m_allSignId = MakeSignIdCombo(panel, QStringLiteral("ComboBox3"));
    m_allOk = Button(panel, QStringLiteral("DeleteOk"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("DeleteCancel"), QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(SignIdRow(panel, QStringLiteral("Sign ID:"), m_allSignId));
    layout->addSpacing(12);
    layout->addLayout(ButtonRow(m_allOk, cancel));

    connect(m_allOk, &QPushButton::clicked, this, &TDeletefrm::DeleteOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TDeletefrm::makeFontPanel() {
    QWidget* panel = Panel(this, QStringLiteral("TransferFontPanel"));
    m_fontSignId = MakeSignIdCombo(panel, QStringLiteral("ComboBox4"), false);

    // Enabled once the font maker has opened the panel with its characters.
    m_transFont = Button(panel, QStringLiteral("TransFont"), QStringLiteral("Transfer"));
    m_transFont->setEnabled(false);
    auto* cancel = Button(panel, QStringLiteral("Button2"), QStringLiteral("Cancel"));

    auto* status = new QStatusBar(panel);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    m_fontProgress = new QProgressBar(status);
    m_fontProgress->setObjectName(QStringLiteral("ProgressBar1"));
    m_fontProgress->setTextVisible(false);
    m_fontProgress->setRange(0, 100);
    m_fontProgress->setValue(0);
    status->addWidget(m_fontProgress, 1);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(SignIdRow(panel, QStringLiteral("Sign ID:"), m_fontSignId));
    layout->addSpacing(12);
    layout->addLayout(ButtonRow(m_transFont, cancel));
    layout->addWidget(status);

    connect(m_transFont, &QPushButton::clicked, this, &TDeletefrm::TransFontClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

void TDeletefrm::HidePanels() {
    for (QWidget* panel : {m_schedulePanel, m_pagePanel, m_allPanel, m_fontPanel}) {
        panel->hide();
    }
}

void TDeletefrm::showPanel(QWidget* panel, const QString& caption) {
    HidePanels();
    panel->show();
    setWindowTitle(caption);
}

void TDeletefrm::showDeleteSchedulePanel() {
    showPanel(m_schedulePanel, QStringLiteral("Delete Schedule"));
}

void TDeletefrm::showDeletePagePanel() {
    showPanel(m_pagePanel, QStringLiteral("Delete page"));
}

void TDeletefrm::showDeleteAllPanel() {
    showPanel(m_allPanel, QStringLiteral("Delete All"));
    m_allOk->setFocus();
}

void TDeletefrm::showTransferFontPanel() {
    showPanel(m_fontPanel, QStringLiteral("Transfer Font To Sign"));
}

void TDeletefrm::showWindow(Qt::WindowModality modality) {
    if (windowModality() != modality) {
        // Modality only changes while the window is hidden.
        hide();
        setWindowModality(modality);
    }
    ShowInFront(*this, m_shown);
}

void TDeletefrm::openDeleteSchedule() {
    showDeleteSchedulePanel();
    showWindow(Qt::ApplicationModal);
}

void TDeletefrm::openDeletePage() {
    showDeletePagePanel();
    showWindow(Qt::ApplicationModal);
}

void TDeletefrm::openDeleteAll() {
    showDeleteAllPanel();
    showWindow(Qt::ApplicationModal);
    m_allOk->setFocus();
}

void TDeletefrm::openTransferFont(UserFontSource& source) {
    m_fontSource = &source;
    if (m_runningButton != m_transFont) {
        m_transFont->setEnabled(true);
    }
    showTransferFontPanel();
    showWindow(Qt::NonModal);
}

std::unique_ptr<QWidget> TDeletefrm::Create(EditorHost& host) {
    auto window = std::make_unique<TDeletefrm>(
        nullptr, link::MakeSignConnection([&host] { return host.ComPort(); }, host.SettingsPath()));
    TDeletefrm* dialog = window.get();
    host.BindCommand(QStringLiteral("DeleteSchedule1"), [dialog] { dialog->openDeleteSchedule(); });
    host.BindCommand(QStringLiteral("DeletePage1"), [dialog] { dialog->openDeletePage(); });
    host.BindCommand(QStringLiteral("DeleteAll1"), [dialog] { dialog->openDeleteAll(); });
    return window;
}

std::array<bool, kMaxScheduleEntries> TDeletefrm::taskChecks() const {
    std::array<bool, kMaxScheduleEntries> checked{};
    for (int k = 0; k < kMaxScheduleEntries; ++k) {
        checked[static_cast<std::size_t>(k)] = m_tasks->item(k)->checkState() == Qt::Checked;
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
    QTreeWidgetItem* pageNode = m_tree->topLevelItem(page);
    m_tree->setMark(pageNode, m_marks.pageChecked(page));
    for (int line = 0; line < schedule::PageTreeMarks::kLines; ++line) {
        m_tree->setMark(pageNode->child(line), m_marks.lineChecked(page, line));
    }
}

void TDeletefrm::run(QPushButton* button, link::CommandThread::Command command,
                     bool boxBeforeEnable) {
    if (m_command->isRunning()) {
        return;
    }
    m_runningButton = button;
    m_failureBoxBeforeEnable = boxBeforeEnable;
    button->setEnabled(false);
    m_command->start(std::move(command));
}

void TDeletefrm::commandFinished(const link::Outcome& outcome) {
    if (m_runningButton == m_transFont && m_transFont != nullptr) {
        m_runningButton = nullptr;
        fontTransferFinished(outcome);
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
    ShowOutcome(this, outcome);
    button->setEnabled(true);
}

void TDeletefrm::ScheduleOkClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_scheduleOk,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_scheduleSignId),
         checked = taskChecks()](const link::Progress&) {
            return link::RunDeleteSchedules(opener, *clock, signId, checked);
        },
        false);
}

void TDeletefrm::DelPageOKClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_pageOk,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_pageSignId),
         lines = m_marks.lineMarks()](const link::Progress&) {
            return link::RunDeletePageLines(opener, *clock, signId, lines);
        },
        true);
}

void TDeletefrm::DeleteOkClick() {
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_allOk,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_allSignId)](
            const link::Progress&) { return link::RunDeleteAll(opener, *clock, signId); },
        false);
}

void TDeletefrm::TransFontClick() {
    if (m_fontSource == nullptr || m_command->isRunning()) {
        return;
    }
    // The list is read once, as it stands when the transfer starts: the worker never touches the
    // font maker, which stays usable while the characters go out.
    std::vector<UserCharRecord> records = m_fontSource->FontRecords();
    m_fontProgress->setValue(0);
    m_fontProgress->setMaximum(std::max<int>(1, static_cast<int>(records.size())));
    m_sentCharacters = std::make_shared<std::vector<UserCharRecord>>();
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    run(
        m_transFont,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_fontSignId),
         records = std::move(records), sent = m_sentCharacters](const link::Progress& progress) {
            link::FontTransferResult result =
                link::RunFontTransfer(opener, *clock, signId, records, progress);
            *sent = std::move(result.sent);
            return result.outcome;
        },
        false);
}

void TDeletefrm::fontTransferFinished(const link::Outcome& outcome) {
    const std::vector<UserCharRecord> sent =
        m_sentCharacters ? std::move(*m_sentCharacters) : std::vector<UserCharRecord>{};
    m_sentCharacters.reset();
    // Every character the sign took is drawn, also after a refusal, so the picker shows what the
    // sign holds; the picture file is written only when the whole transfer succeeded.
    if (m_fontSource != nullptr && !sent.empty()) {
        const QString saveProblem = m_fontSource->DrawSentCharacters(sent, outcome.success);
        if (!saveProblem.isEmpty()) {
            ShowOutcome(this, link::Outcome{link::BoxKind::Error,
                                            " Cannot save the European character picture ", false,
                                            saveProblem.toStdString()});
        }
    }
    m_transFont->setEnabled(true);
    m_fontProgress->setValue(0);
    ShowOutcome(this, outcome);
}

} // namespace lumivo::ui
