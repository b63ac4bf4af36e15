#include "dialogs/sign_command_dialog.h"

#include "core/compiler.h"
#include "core/graphic.h"
#include "core/payloads.h"
#include "core/program_folder.h"
#include "dialogs/clock_field.h"
#include "dialogs/printing.h"
#include "link/print/send_via_network.h"
#include "link/runners.h"
#include "ui_sign_command_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/list_combo.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>

namespace lumivo::ui {

namespace {

QStringList PageLetters() {
    QStringList letters;
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        letters.append(QString(QChar(c)));
    }
    return letters;
}

// New IDs "01".."FF": the ID is the index + 1.
QStringList NewIds() {
    QStringList ids;
    for (int id = 1; id < 256; ++id) {
        ids.append(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper());
    }
    return ids;
}

QStringList BrightnessLevels() {
    QStringList levels;
    for (const char* level : kBrightnessLevels) {
        levels.append(QString::fromLatin1(level));
    }
    return levels;
}

char LetterOf(const QComboBox& combo) {
    return static_cast<char>('A' + std::max(0, combo.currentIndex()));
}

} // namespace

TSetID::TSetID(SignCommandContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)), m_ui(*this, [this](Ui::TSetID&) { wireForm(); }),
      m_panels(*this, {}) {
    setObjectName(QStringLiteral("TSetID"));
    setWindowModality(Qt::ApplicationModal);
    m_chooser = [this](QWidget*, std::function<void(const QString&)> chosen) {
        if (Printing* printing = loadedPrinting()) {
            printing->choosePrinter(*this, std::move(chosen));
        }
    };

    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TSetID::commandFinished);
    connect(m_command, &link::CommandThread::progressed, this, &TSetID::commandProgressed);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TSetID::Timer1Timer);
}

void TSetID::wireForm() {
    m_panels.setPanels({m_ui->IDPanel, m_ui->ClockPanel, m_ui->RunPagePanel, m_ui->SendMessagePanel,
                        m_ui->SetBrightPanel, m_ui->SendViaNetPanel});
    FillListCombo(*m_ui->ComboBox1, NewIds());
    for (QComboBox* ids :
         {m_ui->ComboBox2, m_ui->ComboBox3, m_ui->ComboBox5, m_ui->ComboBox7, m_ui->ComboBox9}) {
        FillSignIdCombo(*ids);
    }
    for (QComboBox* pages : {m_ui->ComboBox4, m_ui->ComboBox6, m_ui->ComboBox10}) {
        FillListCombo(*pages, PageLetters());
    }
    FillListCombo(*m_ui->ComboBox8, BrightnessLevels());
    m_ui->DateTimePicker1->setDate(QDate::currentDate());
    SetUpClockField(*m_ui->MaskEdit1);
    // Wide enough for the full time and no more, like a fixed-format field.
    m_ui->MaskEdit1->setFixedWidth(
        m_ui->MaskEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);
    m_ui->MaskEdit1->installEventFilter(this);

    connect(m_ui->OK, &QPushButton::clicked, this, &TSetID::OKClick);
    connect(m_ui->DateTimeOK, &QPushButton::clicked, this, &TSetID::DateTimeOKClick);
    connect(m_ui->RunPageButton, &QPushButton::clicked, this, &TSetID::RunPageButtonClick);
    connect(m_ui->SendMessButton, &QPushButton::clicked, this, &TSetID::SendMessButtonClick);
    connect(m_ui->BrightOk, &QPushButton::clicked, this, &TSetID::BrightOkClick);
    connect(m_ui->SendViaNetOK, &QPushButton::clicked, this, &TSetID::SendViaNetOKClick);
    for (QPushButton* cancel : {m_ui->Cancel, m_ui->DateTimeCancel, m_ui->BrightCancel}) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    m_panels.select({m_ui->SendMessagePanel, QStringLiteral("Send Message"), m_ui->SendMessButton,
                     m_ui->SendMessButton});
}

void TSetID::setVisible(bool visible) {
    if (visible) {
        m_ui.make();
    }
    QDialog::setVisible(visible);
}

TSetID::~TSetID() = default;

std::unique_ptr<QWidget> TSetID::create(EditorHost& host) {
    SignCommandContext context;
    context.connection =
        link::MakeSignConnection([&host] { return host.comPort(); }, host.settingsPath());
    context.lineText = [&host] { return host.lineText(0); };
    context.graphicsFolder = [] { return GraphicsFolder(); };
    context.boxParent = host.mainWindow();
    context.reportStatus = [&host](const QString& message) { host.reportStatus(message); };
    auto window = std::make_unique<TSetID>(std::move(context));
    TSetID* dialog = window.get();
    host.bindCommand(QStringLiteral("SendMessages1"), [dialog] { dialog->openSendMessage(); });
    host.bindCommand(QStringLiteral("RunPage1"), [dialog] { dialog->openRunPage(); });
    host.bindCommand(QStringLiteral("SetID1"), [dialog] { dialog->openSetId(); });
    host.bindCommand(QStringLiteral("SetClock1"), [dialog] { dialog->openSetClock(); });
    host.bindCommand(QStringLiteral("SetBrightness1"), [dialog] { dialog->openSetBrightness(); });
    host.bindCommand(QStringLiteral("ToolButton12"), [dialog] { dialog->openSendViaNetwork(); });
    return window;
}

void TSetID::HidePanels() {
    m_ui.make();
    m_panels.hideAll();
}

void TSetID::openCommand(const CommandPanels::Command& command) {
    m_panels.open(command, Qt::ApplicationModal);
}

void TSetID::openSetId() {
    openCommand({m_ui->IDPanel, QStringLiteral("Set SignID"), m_ui->OK, m_ui->OK});
}

void TSetID::openSetClock() {
    SetClockFieldTime(*m_ui->MaskEdit1, QTime::currentTime());
    if (!m_timer->isActive()) {
        m_timer->start();
    }
    openCommand(
        {m_ui->ClockPanel, QStringLiteral("Set Clock"), m_ui->DateTimeOK, m_ui->DateTimeOK});
}

void TSetID::openRunPage() {
    openCommand(
        {m_ui->RunPagePanel, QStringLiteral("Run Page"), m_ui->RunPageButton, m_ui->RunPageButton});
}

void TSetID::openSendMessage() {
    openCommand({m_ui->SendMessagePanel, QStringLiteral("Send Message"), m_ui->SendMessButton,
                 m_ui->SendMessButton});
}

void TSetID::openSetBrightness() {
    openCommand(
        {m_ui->SetBrightPanel, QStringLiteral("Set Brightness"), m_ui->BrightOk, m_ui->BrightOk});
}

void TSetID::openSendViaNetwork() {
    // No button takes the focus here: the sign ID list does.
    openCommand({m_ui->SendViaNetPanel, QStringLiteral("Set ID&Page to Sent Via Network"),
                 m_ui->ComboBox9, m_ui->SendViaNetOK});
}

bool TSetID::isRunning() const {
    return m_command->isRunning();
}

bool TSetID::eventFilter(QObject* watched, QEvent* event) {
    if (m_ui.isMade() && watched == m_ui->MaskEdit1 && event->type() == QEvent::KeyRelease) {
        MaskEdit1KeyUp();
    }
    return QDialog::eventFilter(watched, event);
}

void TSetID::Timer1Timer() {
    TickClockField(*m_ui->MaskEdit1);
}

void TSetID::MaskEdit1KeyUp() {
    CorrectClockField(*m_ui->MaskEdit1);
}

void TSetID::run(Running what, link::CommandThread::Command command) {
    if (m_command->isRunning()) {
        return;
    }
    m_running = what;
    updateButtons();
    m_command->start(std::move(command), logName(what));
}

std::string TSetID::logName(Running what) {
    switch (what) {
    case Running::None:
        break;
    case Running::SetId:
        return "Set ID";
    case Running::Clock:
        return "Set Clock";
    case Running::RunPage:
        return "Run Page";
    case Running::SendMessage:
        return "Send Message";
    case Running::Brightness:
        return "Set Brightness";
    case Running::Network:
        return "Send via Network";
    }
    return "Command";
}

void TSetID::updateButtons() {
    // One command at a time: every panel's button waits for the running one.
    const bool idle = m_running == Running::None;
    for (QPushButton* button : {m_ui->OK, m_ui->DateTimeOK, m_ui->RunPageButton,
                                m_ui->SendMessButton, m_ui->BrightOk, m_ui->SendViaNetOK}) {
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
    if (m_ui->ProgressBar1->maximum() != maximum) {
        m_ui->ProgressBar1->setRange(0, std::max(1, maximum));
    }
    m_ui->ProgressBar1->setValue(value);
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
        m_ui->ProgressBar1->setValue(0);
        if (isVisible() && m_ui->SendMessagePanel->isVisible()) {
            done(outcome.success ? QDialog::Accepted : QDialog::Rejected);
        }
        break;
    }
    case Running::RunPage:
        if (!outcome.success) {
            m_ui->ProgressBar1->setValue(0);
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
    run(Running::SetId, [opener = std::move(opener), clock = std::move(clock),
                         newId = m_ui->ComboBox1->currentIndex() + 1](const link::Progress&) {
        return link::RunSetId(opener, *clock, newId);
    });
}

void TSetID::DateTimeOKClick() {
    const QDate day = m_ui->DateTimePicker1->date();
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Clock,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_ui->ComboBox2),
         date = CivilDate{day.year(), day.month(), day.day()},
         time = ClockFieldText(*m_ui->MaskEdit1)](const link::Progress&) {
            return link::RunSetClock(opener, *clock, signId, date, time);
        });
}

void TSetID::RunPageButtonClick() {
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::RunPage,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_ui->ComboBox3),
         page = LetterOf(*m_ui->ComboBox4)](const link::Progress&) {
            return link::RunRunPage(opener, *clock, signId, page);
        });
}

void TSetID::BrightOkClick() {
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Brightness,
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_ui->ComboBox7),
         level = m_ui->ComboBox8->currentIndex()](const link::Progress&) {
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
    m_ui->ProgressBar1->setValue(0);
    run(Running::SendMessage,
        [opener = std::move(opener), clock = std::move(clock), graphics = std::move(graphics),
         input = link::SendMessageInput{std::move(line), SignIdOf(*m_ui->ComboBox5),
                                        LetterOf(*m_ui->ComboBox6),
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

Printing* TSetID::loadedPrinting() {
    if (m_printing == nullptr) {
        QString why;
        m_printing = LoadPrinting(why);
        if (m_printing == nullptr) {
            ShowBox(boxParent(), MessageKind::Error,
                    QStringLiteral("Send via Network cannot print: %1").arg(why));
        }
    }
    return m_printing.get();
}

QPrinter& TSetID::printer() {
    Printing* printing = loadedPrinting();
    if (printing == nullptr) {
        qFatal("the printing module is not installed");
    }
    return printing->printer();
}

void TSetID::sendViaNetwork(const QString& printerName) {
    auto graphics = std::make_shared<FolderGraphicSource>(
        m_context.graphicsFolder ? m_context.graphicsFolder() : std::filesystem::path());
    PrintJobMaker makeJob = m_makePrintJob;
    if (!makeJob) {
        Printing* printing = loadedPrinting();
        if (printing == nullptr) {
            return;
        }
        // Made here and handed to the worker, which then owns it alone.
        auto job = std::make_shared<std::unique_ptr<link::PrintJob>>(printing->makePrintJob());
        makeJob = [job] { return std::move(*job); };
    }
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    run(Running::Network, [makeJob = std::move(makeJob), clock = std::move(clock),
                           graphics = std::move(graphics), printer = printerName.toStdString(),
                           line = m_context.lineText ? m_context.lineText() : std::string(),
                           signId = SignIdOf(*m_ui->ComboBox9),
                           page = LetterOf(*m_ui->ComboBox10)](const link::Progress&) {
        std::unique_ptr<link::PrintJob> job = makeJob();
        return link::RunSendViaNetwork(*job, *clock, printer, line, signId, page, *graphics);
    });
}

} // namespace lumivo::ui
