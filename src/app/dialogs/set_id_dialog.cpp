#include "app/dialogs/set_id_dialog.h"

#include "app/dialogs/clock_field.h"
#include "core/compiler.h"
#include "core/graphic.h"
#include "core/payloads.h"
#include "core/program_folder.h"
#include "link/print/cups_print_job.h"
#include "link/print/send_via_network.h"
#include "link/runners.h"
#include "widgets/editor_host.h"
#include "widgets/list_combo.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

// Wide enough that the longest caption fits the title bar.
constexpr int kPanelWidth = 300;

QWidget* Panel(QWidget* parent, const QString& name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setMinimumWidth(kPanelWidth);
    panel->hide();
    return panel;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter presses the focused button, and the panel's own button from its lists.
    button->setAutoDefault(true);
    return button;
}

QStringList PageLetters() {
    QStringList letters;
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        letters.append(QString(QChar(c)));
    }
    return letters;
}

// Labelled controls in two columns, the labels right-aligned.
QGridLayout* Form(QWidget* panel, std::initializer_list<std::pair<QString, QWidget*>> rows) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    int row = 0;
    for (const auto& [caption, field] : rows) {
        auto* label = new QLabel(caption, panel);
        label->setBuddy(field);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(field, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

QHBoxLayout* Buttons(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons) {
        row->addWidget(button);
    }
    return row;
}

QVBoxLayout* PanelLayout(QWidget* panel) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    return layout;
}

char LetterOf(const QComboBox& combo) {
    return static_cast<char>('A' + std::max(0, combo.currentIndex()));
}

} // namespace

TSetID::TSetID(SignCommandContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)) {
    setObjectName(QStringLiteral("TSetID"));
    setWindowModality(Qt::ApplicationModal);
    m_makePrintJob = [] { return std::make_unique<link::CupsPrintJob>(); };
    m_chooser = [this](QWidget* boxParent, std::function<void(const QString&)> chosen) {
        choosePrinterWithDialog(boxParent, std::move(chosen));
    };

    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TSetID::commandFinished);
    connect(m_command, &link::CommandThread::progressed, this, &TSetID::commandProgressed);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TSetID::Timer1Timer);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(16, 16, 16, 12);
    m_idPanel = makeIdPanel();
    m_clockPanel = makeClockPanel();
    m_runPagePanel = makeRunPagePanel();
    m_sendMessagePanel = makeSendMessagePanel();
    m_brightPanel = makeBrightnessPanel();
    m_networkPanel = makeNetworkPanel();
    for (QWidget* panel : {m_idPanel, m_clockPanel, m_runPagePanel, m_sendMessagePanel,
                           m_brightPanel, m_networkPanel}) {
        layout->addWidget(panel);
    }
    showPanel(m_sendMessagePanel, QStringLiteral("Send Message"), m_sendMessButton,
              m_sendMessButton);
}

TSetID::~TSetID() {
    // The print dialog works on the printer, which goes before the dialog's children.
    delete m_printDialog;
}

QWidget* TSetID::makeIdPanel() {
    QWidget* panel = Panel(this, QStringLiteral("IDPanel"));
    // New IDs "01".."FF": the ID is the index + 1.
    QStringList ids;
    for (int id = 1; id < 256; ++id) {
        ids.append(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper());
    }
    m_newId = MakeListCombo(panel, QStringLiteral("ComboBox1"), ids);
    m_ok = Button(panel, QStringLiteral("OK"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("Cancel"), QStringLiteral("Cancel"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(Form(panel, {{QStringLiteral("Sign ID:"), m_newId}}));
    layout->addLayout(Buttons({m_ok, cancel}));
    connect(m_ok, &QPushButton::clicked, this, &TSetID::OKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TSetID::makeClockPanel() {
    QWidget* panel = Panel(this, QStringLiteral("ClockPanel"));
    m_clockId = MakeSignIdCombo(panel, QStringLiteral("ComboBox2"));

    m_date = new QDateEdit(QDate::currentDate(), panel);
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));

    m_time = new QLineEdit(panel);
    m_time->setObjectName(QStringLiteral("MaskEdit1"));
    SetUpClockField(*m_time);
    m_time->setFixedWidth(m_time->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);
    m_time->installEventFilter(this);

    m_dateTimeOk = Button(panel, QStringLiteral("DateTimeOK"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("DateTimeCancel"), QStringLiteral("Cancel"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(Form(panel, {{QStringLiteral("Sign ID:"), m_clockId},
                                   {QStringLiteral("Date:"), m_date},
                                   {QStringLiteral("Time:"), m_time}}));
    layout->addLayout(Buttons({m_dateTimeOk, cancel}));
    connect(m_dateTimeOk, &QPushButton::clicked, this, &TSetID::DateTimeOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TSetID::makeRunPagePanel() {
    QWidget* panel = Panel(this, QStringLiteral("RunPagePanel"));
    m_runId = MakeSignIdCombo(panel, QStringLiteral("ComboBox3"));
    m_runPage = MakeListCombo(panel, QStringLiteral("ComboBox4"), PageLetters());
    m_runPageButton = Button(panel, QStringLiteral("RunPageButton"), QStringLiteral("Run"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(
        Form(panel, {{QStringLiteral("Sign ID:"), m_runId}, {QStringLiteral("Page:"), m_runPage}}));
    layout->addLayout(Buttons({m_runPageButton}));
    connect(m_runPageButton, &QPushButton::clicked, this, &TSetID::RunPageButtonClick);
    return panel;
}

QWidget* TSetID::makeSendMessagePanel() {
    QWidget* panel = Panel(this, QStringLiteral("SendMessagePanel"));
    m_sendId = MakeSignIdCombo(panel, QStringLiteral("ComboBox5"));
    m_sendPage = MakeListCombo(panel, QStringLiteral("ComboBox6"), PageLetters());
    m_progress = new QProgressBar(panel);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_sendMessButton = Button(panel, QStringLiteral("SendMessButton"), QStringLiteral("OK"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(Form(
        panel, {{QStringLiteral("Sign ID:"), m_sendId}, {QStringLiteral("Page:"), m_sendPage}}));
    layout->addWidget(m_progress);
    layout->addLayout(Buttons({m_sendMessButton}));
    connect(m_sendMessButton, &QPushButton::clicked, this, &TSetID::SendMessButtonClick);
    return panel;
}

QWidget* TSetID::makeBrightnessPanel() {
    QWidget* panel = Panel(this, QStringLiteral("SetBrightPanel"));
    m_brightId = MakeSignIdCombo(panel, QStringLiteral("ComboBox7"));
    QStringList levels;
    for (const char* level : kBrightnessLevels) {
        levels.append(QString::fromLatin1(level));
    }
    m_level = MakeListCombo(panel, QStringLiteral("ComboBox8"), levels);
    m_brightOk = Button(panel, QStringLiteral("BrightOk"), QStringLiteral("OK"));
    auto* cancel = Button(panel, QStringLiteral("BrightCancel"), QStringLiteral("Cancel"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(Form(panel, {{QStringLiteral("Sign ID:"), m_brightId},
                                   {QStringLiteral("Brightness:"), m_level}}));
    layout->addLayout(Buttons({m_brightOk, cancel}));
    connect(m_brightOk, &QPushButton::clicked, this, &TSetID::BrightOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return panel;
}

QWidget* TSetID::makeNetworkPanel() {
    QWidget* panel = Panel(this, QStringLiteral("SendViaNetPanel"));
    m_networkId = MakeSignIdCombo(panel, QStringLiteral("ComboBox9"));
    m_networkPage = MakeListCombo(panel, QStringLiteral("ComboBox10"), PageLetters());
    m_viaNetOk = Button(panel, QStringLiteral("SendViaNetOK"), QStringLiteral("OK"));

    QVBoxLayout* layout = PanelLayout(panel);
    layout->addLayout(Form(panel, {{QStringLiteral("Sign ID:"), m_networkId},
                                   {QStringLiteral("Page:"), m_networkPage}}));
    layout->addLayout(Buttons({m_viaNetOk}));
    connect(m_viaNetOk, &QPushButton::clicked, this, &TSetID::SendViaNetOKClick);
    return panel;
}

std::unique_ptr<QWidget> TSetID::Create(EditorHost& host) {
    SignCommandContext context;
    context.connection =
        link::MakeSignConnection([&host] { return host.ComPort(); }, host.SettingsPath());
    context.lineText = [&host] { return host.LineText(0); };
    context.graphicsFolder = [] { return GraphicsFolder(); };
    context.boxParent = host.MainWindow();
    context.reportStatus = [&host](const QString& message) { host.ReportStatus(message); };
    auto window = std::make_unique<TSetID>(std::move(context));
    TSetID* dialog = window.get();
    host.BindCommand(QStringLiteral("SendMessages1"), [dialog] { dialog->OpenSendMessage(); });
    host.BindCommand(QStringLiteral("RunPage1"), [dialog] { dialog->OpenRunPage(); });
    host.BindCommand(QStringLiteral("SetID1"), [dialog] { dialog->OpenSetId(); });
    host.BindCommand(QStringLiteral("SetClock1"), [dialog] { dialog->OpenSetClock(); });
    host.BindCommand(QStringLiteral("SetBrightness1"), [dialog] { dialog->OpenSetBrightness(); });
    host.BindCommand(QStringLiteral("ToolButton12"), [dialog] { dialog->OpenSendViaNetwork(); });
    return window;
}

void TSetID::HidePanels() {
    for (QWidget* panel : {m_idPanel, m_clockPanel, m_runPagePanel, m_sendMessagePanel,
                           m_brightPanel, m_networkPanel}) {
        panel->hide();
    }
}

void TSetID::showPanel(QWidget* panel, const QString& caption, QWidget* focus,
                       QPushButton* defaultButton) {
    HidePanels();
    panel->show();
    setWindowTitle(caption);
    defaultButton->setDefault(true);
    if (focus != nullptr) {
        focus->setFocus();
    }
}

void TSetID::showModal(QWidget* focus) {
    adjustSize();
    ShowInFront(*this, m_shown);
    if (focus != nullptr) {
        focus->setFocus();
    }
}

void TSetID::OpenSetId() {
    showPanel(m_idPanel, QStringLiteral("Set SignID"), m_ok, m_ok);
    showModal(m_ok);
}

void TSetID::OpenSetClock() {
    showPanel(m_clockPanel, QStringLiteral("Set Clock"), m_dateTimeOk, m_dateTimeOk);
    SetClockFieldTime(*m_time, QTime::currentTime());
    if (!m_timer->isActive()) {
        m_timer->start();
    }
    showModal(m_dateTimeOk);
}

void TSetID::OpenRunPage() {
    showPanel(m_runPagePanel, QStringLiteral("Run Page"), m_runPageButton, m_runPageButton);
    showModal(m_runPageButton);
}

void TSetID::OpenSendMessage() {
    showPanel(m_sendMessagePanel, QStringLiteral("Send Message"), m_sendMessButton,
              m_sendMessButton);
    showModal(m_sendMessButton);
}

void TSetID::OpenSetBrightness() {
    showPanel(m_brightPanel, QStringLiteral("Set Brightness"), m_brightOk, m_brightOk);
    showModal(m_brightOk);
}

void TSetID::OpenSendViaNetwork() {
    // No button takes the focus here: the sign ID list does.
    showPanel(m_networkPanel, QStringLiteral("Set ID&Page to Sent Via Network"), m_networkId,
              m_viaNetOk);
    showModal(m_networkId);
}

bool TSetID::isRunning() const {
    return m_command->isRunning();
}

bool TSetID::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_time && event->type() == QEvent::KeyRelease) {
        MaskEdit1KeyUp();
    }
    return QDialog::eventFilter(watched, event);
}

void TSetID::Timer1Timer() {
    TickClockField(*m_time);
}

void TSetID::MaskEdit1KeyUp() {
    CorrectClockField(*m_time);
}

void TSetID::run(Running what, link::CommandThread::Command command) {
    if (m_command->isRunning()) {
        return;
    }
    m_running = what;
    updateButtons();
    m_command->start(std::move(command));
}

void TSetID::updateButtons() {
    // One command at a time: every panel's button waits for the running one.
    const bool idle = m_running == Running::None;
    for (QPushButton* button :
         {m_ok, m_dateTimeOk, m_runPageButton, m_sendMessButton, m_brightOk, m_viaNetOk}) {
        button->setEnabled(idle);
    }
}

QWidget* TSetID::boxParent() {
    return isVisible() ? this : m_context.boxParent;
}

void TSetID::commandProgressed(int value, int maximum) {
    if (m_running != Running::SendMessage) {
        return;
    }
    if (m_progress->maximum() != maximum) {
        m_progress->setRange(0, std::max(1, maximum));
    }
    m_progress->setValue(value);
}

void TSetID::commandFinished(const link::Outcome& outcome) {
    const Running what = m_running;
    m_running = Running::None;
    updateButtons();
    switch (what) {
    case Running::None:
        return;
    case Running::SendMessage: {
        // The send ends with the dialog closed, after the failure box if there is one.
        ShowOutcome(boxParent(), outcome);
        if (outcome.success && outcome.box == link::BoxKind::None && m_context.reportStatus) {
            m_context.reportStatus(QString::fromStdString(outcome.details) + QStringLiteral(", ") +
                                   QTime::currentTime().toString(QStringLiteral("HH:mm")));
        }
        m_progress->setValue(0);
        if (isVisible() && m_sendMessagePanel->isVisible()) {
            done(outcome.success ? QDialog::Accepted : QDialog::Rejected);
        }
        break;
    }
    case Running::RunPage:
        if (!outcome.success) {
            m_progress->setValue(0);
        }
        ShowOutcome(boxParent(), outcome);
        break;
    case Running::SetId:
    case Running::Clock:
    case Running::Brightness:
    case Running::Network:
        ShowOutcome(boxParent(), outcome);
        break;
    }
}

void TSetID::OKClick() {
    if (m_command->isRunning()) {
        return;
    }
    if (ShowBox(this, MessageKind::Question,
                QStringLiteral("         Confirm to reset the ID ?         "),
                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::SetId,
        [opener = std::move(opener), clock = std::move(clock), newId = m_newId->currentIndex() + 1](
            const link::Progress&) { return link::RunSetId(opener, *clock, newId); });
}

void TSetID::DateTimeOKClick() {
    const QDate day = m_date->date();
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Clock,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_clockId),
         date = CivilDate{day.year(), day.month(), day.day()},
         time = ClockFieldText(*m_time)](const link::Progress&) {
            return link::RunSetClock(opener, *clock, signId, date, time);
        });
}

void TSetID::RunPageButtonClick() {
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::RunPage,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_runId),
         page = LetterOf(*m_runPage)](const link::Progress&) {
            return link::RunRunPage(opener, *clock, signId, page);
        });
}

void TSetID::BrightOkClick() {
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Brightness,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_brightId),
         level = m_level->currentIndex()](const link::Progress&) {
            return link::RunSetBrightness(opener, *clock, signId, level);
        });
}

void TSetID::SendMessButtonClick() {
    if (m_command->isRunning()) {
        return;
    }
    std::string line = m_context.lineText ? m_context.lineText() : std::string();
    if (line.empty()) {
        // Nothing to send: the dialog stays open for another try.
        ShowOutcome(this, link::Outcome{link::BoxKind::Information, " No Message To Send ", false});
        return;
    }
    auto graphics = std::make_shared<FolderGraphicSource>(
        m_context.graphicsFolder ? m_context.graphicsFolder() : std::filesystem::path());
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    m_progress->setValue(0);
    run(Running::SendMessage,
        [opener = std::move(opener), clock = std::move(clock), graphics = std::move(graphics),
         input = link::SendMessageInput{std::move(line), SignIdOf(*m_sendId), LetterOf(*m_sendPage),
                                        nullptr}](const link::Progress& progress) mutable {
            input.graphics = graphics.get();
            return link::RunSendMessage(opener, *clock, input, progress);
        });
}

void TSetID::SendViaNetOKClick() {
    if (m_command->isRunning()) {
        return;
    }
    accept();
    m_chooser(boxParent(), [this](const QString& printerName) { sendViaNetwork(printerName); });
}

QPrinter& TSetID::printer() {
    if (m_printer == nullptr) {
        m_printer = std::make_unique<QPrinter>();
    }
    return *m_printer;
}

void TSetID::choosePrinterWithDialog(QWidget* parent, std::function<void(const QString&)> chosen) {
    Q_UNUSED(parent);
    if (m_printDialog == nullptr) {
        // A child of this dialog, shown as a window of its own.
        m_printDialog = new QPrintDialog(&printer(), this);
        m_printDialog->setObjectName(QStringLiteral("PrintDialog1"));
        m_printDialog->setWindowModality(Qt::ApplicationModal);
        m_printDialog->setOption(QAbstractPrintDialog::PrintToFile, false);
    }
    // One answer per showing: the connections end with the dialog's end.
    auto* context = new QObject(m_printDialog);
    connect(m_printDialog, &QDialog::finished, context,
            [this, context, chosen = std::move(chosen)](int result) {
                context->deleteLater();
                if (result == QDialog::Accepted) {
                    chosen(printer().printerName());
                }
            });
    m_printDialog->show();
    m_printDialog->raise();
    m_printDialog->activateWindow();
}

void TSetID::sendViaNetwork(const QString& printerName) {
    auto graphics = std::make_shared<FolderGraphicSource>(
        m_context.graphicsFolder ? m_context.graphicsFolder() : std::filesystem::path());
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Network,
        [makeJob = m_makePrintJob, clock = std::move(clock), graphics = std::move(graphics),
         printer = printerName.toStdString(),
         line = m_context.lineText ? m_context.lineText() : std::string(),
         signId = SignIdOf(*m_networkId), page = LetterOf(*m_networkPage)](const link::Progress&) {
            std::unique_ptr<link::PrintJob> job = makeJob();
            return link::RunSendViaNetwork(*job, *clock, printer, line, signId, page, *graphics);
        });
}

} // namespace lumivo::ui
