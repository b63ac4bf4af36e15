#include "signs/window/signs_window.h"

#include "ui_signs_window.h"

#include "core/compiler.h"
#include "core/led_render.h"
#include "core/program_folder.h"
#include "link/path_text.h"
#include "signs/line_fill.h"
#include "signs/sent_graphics.h"
#include "signs/service_client.h"
#include "signs/service_runtime.h"
#include "signs/sign_check.h"
#include "signs/sign_commands.h"
#include "signs/window/progress_delegate.h"
#include "signs/window/sign_dialog.h"
#include "signs/window/sign_table_model.h"
#include "widgets/editor_host.h"
#include "widgets/led_view.h"
#include "widgets/preview_model.h"
#include "widgets/preview_strip.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QSpinBox>

#include <algorithm>

namespace lumivo::signs {

using link::FileSystemPath;

namespace {

const QString kChooseGroup = QStringLiteral("(select a group)");
const QString kWaitingForTheLine = QStringLiteral("Waiting for the line");

} // namespace

// Hands the dispatcher's reports, made on the line workers, to the window's thread. A report
// still queued when the window goes is dropped with it.
class SignsWindow::Relay final : public DispatchObserver {
public:
    using Finished = void (SignsWindow::*)(const DispatchResult&);
    Relay(SignsWindow& window, Finished finished) : m_window(&window), m_finished(finished) {}

    void signStarted(const QString& sign) override {
        post([sign](SignsWindow& w) { w.signStarted(sign); });
    }
    void signProgressed(const QString& sign, int value, int maximum) override {
        post([sign, value, maximum](SignsWindow& w) { w.signProgressed(sign, value, maximum); });
    }
    void signStep(const QString& sign, const QString& step) override {
        post([sign, step](SignsWindow& w) { w.signStep(sign, step); });
    }
    void signFinished(const SignOutcome& outcome) override {
        post([outcome](SignsWindow& w) { w.signFinished(outcome); });
    }
    void finished(const DispatchResult& result) override {
        post([result, finished = m_finished](SignsWindow& w) { (w.*finished)(result); });
    }

private:
    template <typename Call> void post(Call call) {
        SignsWindow* window = m_window;
        QMetaObject::invokeMethod(
            window, [window, call = std::move(call)] { call(*window); }, Qt::QueuedConnection);
    }

    SignsWindow* m_window;
    Finished m_finished;
};

SignsWindow::SignsWindow(ui::EditorHost& host, Dispatcher::OpenerFor openerFor,
                         Dispatcher::ClockFor clockFor, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::SignsWindow>()),
      m_state(SignStatePath(FileSystemPath(host.settingsPath()))),
      m_relay(std::make_unique<Relay>(*this, &SignsWindow::jobFinished)),
      m_checkRelay(std::make_unique<Relay>(*this, &SignsWindow::checkFinished)),
      m_dispatcher(std::make_unique<Dispatcher>(std::move(openerFor), host.settingsPath(),
                                                std::move(clockFor), &m_state)) {
    // A sign whose line a running lumivod owns goes through it; its progress reads
    // "through lumivod".
    m_serviceFor = ServiceForSigns(host.settingsPath());
    m_dispatcher->routeThroughService(m_serviceFor);
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_QuitOnClose, false);
    m_ui->setupUi(this);

    m_model = new SignTableModel(this);
    m_model->setStates(&m_state);
    m_ui->SignTable->setModel(m_model);
    m_ui->SignTable->setItemDelegateForColumn(SignTableModel::Progress,
                                              new ProgressDelegate(m_ui->SignTable));
    m_ui->SignTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_ui->SignTable->horizontalHeader()->setStretchLastSection(true);

    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        m_ui->PageCombo->addItem(QString(QLatin1Char(letter)));
    }

    m_sentGraphics = std::make_shared<SentGraphics>();
    m_picture = new ui::PreviewModel(m_sentGraphics, this);
    m_strip = new ui::PreviewStrip(*m_picture, m_ui->PictureHolder);
    // The width drawn is the sign's own, from its entry in the list.
    if (auto* width = m_strip->findChild<QSpinBox*>(QStringLiteral("PreviewWidth"))) {
        width->hide();
    }
    m_ui->PictureHolder->layout()->addWidget(m_strip);

    connectControls();
    if (const auto problem = m_state.loadProblem()) {
        m_ui->SummaryLabel->setText(QString::fromStdString(*problem));
    }
    reload();
}

SignsWindow::~SignsWindow() {
    // Ends the runs first (after the frame each is in): their reports go to this window.
    m_dispatcher.reset();
}

std::unique_ptr<SignsWindow> SignsWindow::create(ui::EditorHost& host, QWidget* parent) {
    return std::make_unique<SignsWindow>(
        host, PortOpenerForSigns(host.settingsPath()),
        [](const Sign&) { return std::make_unique<link::RealClock>(); }, parent);
}

std::unique_ptr<QWidget> SignsWindow::bindMenuItem(ui::EditorHost& host) {
    struct Kept {
        std::unique_ptr<SignsWindow> window;
        bool shownBefore = false;
    };
    auto kept = std::make_shared<Kept>();
    host.bindCommand(QStringLiteral("ShowSigns1"), [&host, kept] {
        if (kept->window == nullptr) {
            kept->window = create(host);
        } else {
            kept->window->reload();
        }
        ui::ShowInFront(*kept->window, kept->shownBefore);
    });
    return nullptr;
}

void SignsWindow::connectControls() {
    connect(m_ui->AddButton, &QPushButton::clicked, this, &SignsWindow::addSign);
    connect(m_ui->EditButton, &QPushButton::clicked, this, &SignsWindow::editSign);
    connect(m_ui->RemoveButton, &QPushButton::clicked, this, &SignsWindow::removeSign);
    connect(m_ui->SendButton, &QPushButton::clicked, this, &SignsWindow::sendLine1);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &SignsWindow::cancelSend);
    connect(m_ui->checkButton, &QPushButton::clicked, this, &SignsWindow::checkSign);
    connect(m_ui->SignTable, &QTableView::doubleClicked, this, &SignsWindow::editSign);
    connect(m_ui->GroupCombo, &QComboBox::activated, this, [this](int index) {
        if (index > 0) {
            chooseGroup(m_ui->GroupCombo->itemText(index));
        }
    });
    connect(m_ui->SignTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateButtons(); });
    connect(m_ui->SignTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showSelectedSign(); });
    connect(m_ui->ShownPageCombo, &QComboBox::currentIndexChanged, this, [this] { showPage(); });
}

void SignsWindow::reload() {
    const QString current = m_shownSign;
    m_model->setList(ReadSignList(SettingsFile(FileSystemPath(m_host.settingsPath()))));
    const QString problems = m_model->problemsText();
    m_ui->ProblemsLabel->setText(problems);
    m_ui->ProblemsLabel->setVisible(!problems.isEmpty());
    fillGroups();
    const std::optional<int> row = m_model->rowOf(current);
    m_ui->SignTable->setCurrentIndex(m_model->index(row.value_or(0), 0));
    showSelectedSign();
    updateButtons();
}

void SignsWindow::fillGroups() {
    m_ui->GroupCombo->clear();
    m_ui->GroupCombo->addItem(kChooseGroup);
    m_ui->GroupCombo->addItems(m_model->list().groups());
}

void SignsWindow::chooseGroup(const QString& group) {
    QItemSelection rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->signAt(row)->inGroup(group)) {
            rows.select(m_model->index(row, 0),
                        m_model->index(row, SignTableModel::ColumnCount - 1));
        }
    }
    m_ui->SignTable->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
}

std::vector<Sign> SignsWindow::chosenSigns() const {
    std::vector<Sign> signs;
    for (const QModelIndex& row : m_ui->SignTable->selectionModel()->selectedRows()) {
        if (const Sign* sign = m_model->signAt(row.row())) {
            signs.push_back(*sign);
        }
    }
    // In the order of the list, whatever order they were clicked in.
    std::sort(signs.begin(), signs.end(), [this](const Sign& a, const Sign& b) {
        return m_model->rowOf(a.name) < m_model->rowOf(b.name);
    });
    return signs;
}

void SignsWindow::updateButtons() {
    const bool chosen = m_ui->SignTable->selectionModel()->hasSelection();
    const bool current = m_model->signAt(m_ui->SignTable->currentIndex().row()) != nullptr;
    // A check and a send do not run at once: the rows show one of them.
    m_ui->SendButton->setEnabled(!sending() && !checking() && chosen);
    m_ui->CancelButton->setEnabled(sending());
    m_ui->checkButton->setEnabled(!sending() && !checking() && current);
    m_ui->checkButton->setText(checking() ? QStringLiteral("Checking...")
                                          : QStringLiteral("Chec&k"));
    m_ui->EditButton->setEnabled(current);
    m_ui->RemoveButton->setEnabled(current);
}

QString SignsWindow::summary() const {
    return m_ui->SummaryLabel->text();
}

// --- The list ---------------------------------------------------------------------------------

void SignsWindow::addSign() {
    openDialog(std::nullopt);
}

void SignsWindow::editSign() {
    if (const Sign* sign = m_model->signAt(m_ui->SignTable->currentIndex().row())) {
        openDialog(*sign);
    }
}

void SignsWindow::openDialog(std::optional<Sign> editing) {
    auto* dialog = new SignDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(editing ? QStringLiteral("Edit Sign") : QStringLiteral("Add Sign"));
    if (editing) {
        dialog->setSign(*editing);
    }
    const QString settings = m_host.settingsPath();
    dialog->setListCheck([this, editing, settings](const Sign& sign) {
        std::optional<SignListProblem> problem;
        for (const Sign& other : m_model->list().signs) {
            if (editing && other.name.compare(editing->name, Qt::CaseInsensitive) == 0) {
                continue;
            }
            if (other.name.compare(sign.name, Qt::CaseInsensitive) == 0) {
                return std::optional<SignListProblem>(SignListProblem{
                    sign.name, {}, QStringLiteral("the list has a sign of this name")});
            }
            if (other.id == sign.id && LineKey(other, settings) == LineKey(sign, settings)) {
                return std::optional<SignListProblem>(SignListProblem{
                    sign.name, QStringLiteral("ID"),
                    QStringLiteral("sign \"%1\" has this ID on this line").arg(other.name)});
            }
        }
        return problem;
    });
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, editing] { saveSign(editing, dialog->sign()); });
    dialog->open();
}

void SignsWindow::saveSign(const std::optional<Sign>& editing, const Sign& sign) {
    const SettingsFile file(FileSystemPath(m_host.settingsPath()));
    Status written = WriteSign(file, sign);
    if (written && editing && editing->name.compare(sign.name, Qt::CaseInsensitive) != 0) {
        written = RemoveSign(file, editing->name);
        // What the sign was sent stays its own under the new name.
        const SignRecord record = m_state.record(editing->name);
        (void)m_state.update(sign.name, [&record](SignRecord& kept) { kept = record; });
        m_state.forget(editing->name);
    }
    if (!written) {
        ui::ShowErrorWithDetails(this, QStringLiteral("The sign list could not be saved."),
                                 QString::fromStdString(written.error().message));
    }
    m_shownSign = sign.name;
    reload();
}

void SignsWindow::removeSign() {
    const Sign* sign = m_model->signAt(m_ui->SignTable->currentIndex().row());
    if (sign == nullptr) {
        return;
    }
    const QString name = sign->name;
    const auto answer =
        ui::ShowBox(this, ui::MessageKind::Question,
                    QStringLiteral("Remove the sign \"%1\" from the list?").arg(name),
                    QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    if (Status removed = RemoveSign(SettingsFile(FileSystemPath(m_host.settingsPath())), name);
        !removed) {
        ui::ShowErrorWithDetails(this, QStringLiteral("The sign list could not be saved."),
                                 QString::fromStdString(removed.error().message));
    } else {
        m_state.forget(name);
    }
    reload();
}

// --- The picture ------------------------------------------------------------------------------

void SignsWindow::showSelectedSign() {
    const Sign* sign = m_model->signAt(m_ui->SignTable->currentIndex().row());
    m_shownSign = sign != nullptr ? sign->name : QString();
    const SignRecord record = sign != nullptr ? m_state.record(sign->name) : SignRecord{};
    {
        const QSignalBlocker quiet(m_ui->ShownPageCombo);
        m_ui->ShownPageCombo->clear();
        for (const auto& [letter, page] : record.pages) {
            m_ui->ShownPageCombo->addItem(QString(QLatin1Char(letter)));
        }
        if (const std::optional<char> last = LastSentPage(record)) {
            m_ui->ShownPageCombo->setCurrentText(QString(QLatin1Char(*last)));
        }
    }
    m_shownRoute = sign != nullptr && m_serviceFor ? m_serviceFor(*sign) : std::nullopt;
    m_serviceValues.clear();
    if (m_shownRoute) {
        const QString name = m_shownSign;
        FetchServiceState(*m_shownRoute, this, [this, name](const QJsonObject& state) {
            if (m_shownSign == name && m_shownRoute) {
                m_serviceValues = FieldValuesOfState(state);
                showPage();
            }
        });
    }
    if (sign != nullptr) {
        m_picture->setColumns(sign->columns);
        m_picture->setSingleColor(sign->colours == 1);
        m_strip->view()->setBrightness(record.brightnessPercent.value_or(100) / 100.0);
    }
    showPage();
}

std::optional<char> SignsWindow::shownPage() const {
    const QString letter = m_ui->ShownPageCombo->currentText();
    if (letter.size() != 1) {
        return std::nullopt;
    }
    return letter.front().toLatin1();
}

void SignsWindow::showPage() {
    const std::optional<char> letter = shownPage();
    const SignRecord record = m_state.record(m_shownSign);
    const auto page = letter ? record.pages.find(*letter) : record.pages.end();
    // Emptied first, so a page of the same text with other graphics is drawn anew.
    m_picture->setText({});
    m_picture->flush();
    m_picture->setUserCharacters(UserCharactersOf(record.userCharacters));
    if (page == record.pages.end()) {
        m_sentGraphics->set({});
        m_ui->PictureNote->setText(m_shownSign.isEmpty()
                                       ? QString()
                                       : QStringLiteral("Nothing sent from this program yet."));
        return;
    }
    m_sentGraphics->set(page->second.graphics);
    // A running lumivod fills a line's fields before the sign gets it; a line sent from here
    // reaches the sign as typed.
    const Bytes line = m_shownRoute ? LineAsServiceFills(page->second.line, m_serviceValues,
                                                         QDateTime::currentDateTime())
                                    : page->second.line;
    m_picture->setText(line);
    m_picture->flush();
    m_picture->restart();
    QString note =
        QStringLiteral("Sent %1.")
            .arg(page->second.sent.toLocalTime().toString(QStringLiteral("d MMM yyyy hh:mm:ss")));
    if (line != page->second.line) {
        note += QStringLiteral(" Fields filled as lumivod fills them.");
    }
    m_ui->PictureNote->setText(note);
}

// --- Sending ----------------------------------------------------------------------------------

void SignsWindow::sendLine1() {
    if (sending()) {
        return;
    }
    std::vector<Sign> signs = chosenSigns();
    if (signs.empty()) {
        m_ui->SummaryLabel->setText(
            QStringLiteral("Choose the signs: select them in the list, or select a group."));
        return;
    }
    const char page = m_ui->PageCombo->currentText().front().toLatin1();
    auto graphics = std::make_shared<FolderGraphicSource>(GraphicsFolder());
    m_model->clearProgress();
    m_steps.clear();
    m_cancelling = false;
    for (const Sign& sign : signs) {
        m_model->setProgress(sign.name, kWaitingForTheLine);
    }
    const QString noun = signs.size() == 1 ? QStringLiteral("sign") : QStringLiteral("signs");
    m_ui->SummaryLabel->setText(QStringLiteral("Sending page %1 to %2 %3...")
                                    .arg(QLatin1Char(page))
                                    .arg(signs.size())
                                    .arg(noun));
    m_job = m_dispatcher->start(std::move(signs),
                                SendPageCommand(m_host.lineText(1), page, std::move(graphics)),
                                m_relay.get());
    updateButtons();
}

void SignsWindow::cancelSend() {
    if (m_job != nullptr && !m_cancelling) {
        m_job->cancel();
        m_cancelling = true;
        // A sign under way ends after its frame; those whose turn has not come end at once.
        for (const auto& running : m_steps) {
            m_model->setProgress(running.first,
                                 QStringLiteral("cancelling: ends after this frame"));
        }
        m_ui->SummaryLabel->setText(
            QStringLiteral("Cancelling: each sign ends after the frame it is in..."));
        m_ui->CancelButton->setEnabled(false);
    }
}

void SignsWindow::closeEvent(QCloseEvent* event) {
    // A send does not outlive the user's wish to stop: it ends after the frame each sign is in.
    // A check ends the same way, and its box is not shown.
    cancelSend();
    if (m_checkJob != nullptr) {
        m_checkJob->cancel();
    }
    QWidget::closeEvent(event);
}

void SignsWindow::signStarted(const QString& sign) {
    if (!m_cancelling) {
        signStep(sign, QStringLiteral("Opening the line"));
    }
}

void SignsWindow::signStep(const QString& sign, const QString& step) {
    if (!m_cancelling) {
        m_steps[sign] = step;
        m_model->setProgress(sign, step);
    }
}

void SignsWindow::signProgressed(const QString& sign, int value, int maximum) {
    // The bar runs while the page goes; its 0 before and after the page leaves the step shown.
    if (m_cancelling || maximum <= 0 || value <= 0) {
        return;
    }
    const int percent = std::clamp(value * 100 / maximum, 0, 100);
    const auto step = m_steps.find(sign);
    const QString doing = step != m_steps.end() ? step->second : QStringLiteral("sending");
    m_model->setProgress(sign, QStringLiteral("%1 %2%").arg(doing).arg(percent), percent);
}

void SignsWindow::signFinished(const SignOutcome& outcome) {
    m_steps.erase(outcome.sign);
    m_model->setProgress(outcome.sign, SignEndText(outcome));
}

void SignsWindow::jobFinished(const DispatchResult& result) {
    m_job.reset();
    m_ui->SummaryLabel->setText(result.summary());
    m_model->statesChanged();
    showSelectedSign();
    updateButtons();
    Q_EMIT sendFinished();
}

// --- Checking -------------------------------------------------------------------------------

namespace {

// The box of a check's end: the sign and the verdict, the whole report under it. A check that
// did not run here (cancelled, or the command stopped) says so with what is known.
ui::BoxRequest CheckBox(const SignOutcome& end) {
    const QString verdict = QString::fromStdString(end.outcome.text);
    const QString report = QString::fromStdString(end.outcome.details);
    ui::BoxRequest box;
    box.kind = end.outcome.success ? ui::MessageKind::Information : ui::MessageKind::Warning;
    if (verdict.isEmpty() || report.isEmpty() || end.cancelled || !end.started) {
        box.text = end.sign + QStringLiteral(": not checked");
        box.details = report.isEmpty() ? verdict : report;
        if (box.details.isEmpty()) {
            box.details = QStringLiteral("The check was cancelled before it began.");
        }
        return box;
    }
    box.text = end.sign + QStringLiteral(": ") + verdict;
    box.details = report;
    return box;
}

} // namespace

void SignsWindow::checkSign() {
    const Sign* current = m_model->signAt(m_ui->SignTable->currentIndex().row());
    if (current == nullptr || sending() || checking()) {
        return;
    }
    const Sign sign = *current;
    // The line of a running lumivod is not opened from here: our frames would mix with its own.
    if (const auto owner = ServiceOwnsLine(sign, m_host.settingsPath(), "check")) {
        m_model->setProgress(sign.name, QStringLiteral("not checked: lumivod owns the line"));
        ui::CurrentPrompter().showBox(
            this,
            ui::BoxRequest{ui::MessageKind::Warning, sign.name + QStringLiteral(": not checked"),
                           QMessageBox::Ok, QString::fromStdString(*owner)});
        Q_EMIT checkEnded();
        return;
    }
    m_model->clearProgress();
    m_steps.clear();
    m_cancelling = false;
    m_model->setProgress(sign.name, kWaitingForTheLine);
    m_checkJob = m_dispatcher->start({sign}, LineCheckCommand(), m_checkRelay.get());
    updateButtons();
}

void SignsWindow::checkFinished(const DispatchResult& result) {
    m_checkJob.reset();
    m_model->statesChanged();
    updateButtons();
    if (!result.outcomes.empty() && isVisible()) {
        const ui::BoxRequest box = CheckBox(result.outcomes.front());
        ui::CurrentPrompter().showBox(this, box);
    }
    Q_EMIT checkEnded();
}

} // namespace lumivo::signs
