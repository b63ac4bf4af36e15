#pragma once

#include "link/command_thread.h"
#include "link/outcome.h"
#include "link/print/print_job.h"
#include "link/sign_connection.h"
#include "widgets/command_panels.h"
#include "widgets/form.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QPrinter;
class QTimer;

namespace Ui {
class TSetID;
}

namespace lumivo::ui {

class EditorHost;
class Printing;

// Asks which print queue takes a Send via Network job. `chosen` runs with the queue's name once
// the user confirmed; a cancelled choice calls nothing.
using PrinterChooser =
    std::function<void(QWidget* parent, std::function<void(const QString& printerName)> chosen)>;

// Makes the job object of one Send via Network (a raw job on the CUPS scheduler from the
// printing module unless a test puts its own here). Called on the worker thread that runs the
// job.
using PrintJobMaker = std::function<std::unique_ptr<link::PrintJob>()>;

// What the sign command dialog needs from the rest of the program.
struct SignCommandContext {
    link::SignConnection connection;
    std::function<std::string()> lineText;                 // Line 1 as the compiler reads it
    std::function<std::filesystem::path()> graphicsFolder; // asked at each send
    QWidget* boxParent = nullptr; // boxes that come after the dialog has closed
    // Says what a command that ends without a box did (the main window's status bar).
    std::function<void(const QString&)> reportStatus;
};

// The sign command dialog: six panels of which one shows at a time, one per command (Set ID, Set
// Clock, Run Page, Send Message, Set Brightness, Send via Network). Each command opens it with
// its panel, caption and focus, application-modal; the call returns at once and the dialog's own
// buttons end it. Every transfer runs on a worker thread with the command's button disabled; the
// outcome box appears when it ends. The lists keep their selection between uses.
class TSetID final : public QDialog {
    Q_OBJECT
public:
    explicit TSetID(SignCommandContext context, QWidget* parent = nullptr);
    ~TSetID() override;

    // The start-up factory: binds "Send Message..." (and its tool button), "Run Page...", "Set
    // ID...", "Set Clock...", "Set Brightness..." and the "Send via Network" tool button.
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // Hides all six panels.
    void HidePanels();

    // The main window's commands.
    void openSetId();
    void openSetClock();
    void openRunPage();
    void openSendMessage();
    void openSetBrightness();
    void openSendViaNetwork();

    // Click handlers of the panels' buttons.
    void OKClick();
    void DateTimeOKClick();
    void RunPageButtonClick();
    void BrightOkClick();
    void SendMessButtonClick();
    void SendViaNetOKClick();
    // The running clock of the Set Clock panel and the corrections after each key in it.
    void Timer1Timer();
    void MaskEdit1KeyUp();

    // Seams: the print dialog and the print job of Send via Network.
    void setPrinterChooser(PrinterChooser chooser) { m_chooser = std::move(chooser); }
    void setPrintJobMaker(PrintJobMaker maker) { m_makePrintJob = std::move(maker); }

    bool isRunning() const;
    // The printer the print dialog works on (the queue chosen last); made on first use, since
    // making it asks the print system for its default queue. It loads the printing module,
    // which must be installed.
    QPrinter& printer();

    // Makes the form first: the dialog is built on its first show, not at start.
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Running { None, SetId, Clock, RunPage, SendMessage, Brightness, Network };

    void wireForm();
    void openCommand(const CommandPanels::Command& command);
    // The printing module, loaded at the first need; null (after a box) when it cannot load.
    Printing* loadedPrinting();
    void sendViaNetwork(const QString& printerName);

    void run(Running what, link::CommandThread::Command command);
    // The command's name in the frame log.
    static std::string logName(Running what);
    void commandFinished(const link::Outcome& outcome);
    void commandProgressed(int value, int maximum);
    void updateButtons();
    QWidget* boxParent();

    SignCommandContext m_context;
    PrinterChooser m_chooser;
    PrintJobMaker m_makePrintJob;
    std::unique_ptr<Printing> m_printing;
    link::CommandThread* m_command = nullptr;
    Running m_running = Running::None;
    FormOnFirstUse<Ui::TSetID, QDialog> m_ui;
    CommandPanels m_panels;
    QTimer* m_timer = nullptr;
};

} // namespace lumivo::ui
