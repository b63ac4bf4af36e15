#pragma once

#include "link/print/print_job.h"

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace lumivo::ui {

// What Send via Network needs of the print system: the print dialog over a printer, and raw
// jobs on the scheduler. It lives in a module of its own (lumivo_printing), loaded at the first
// Send via Network, so the print libraries are not loaded with the editor.
class Printing {
public:
    virtual ~Printing() = default;

    // The printer the print dialog works on (the queue chosen last).
    virtual QPrinter& printer() = 0;
    // Shows the print dialog, a child of `owner` named "PrintDialog1", application-modal and
    // without waiting; `chosen` runs with the queue's name once the user confirmed.
    virtual void choosePrinter(QWidget& owner, std::function<void(const QString&)> chosen) = 0;
    // A raw job on the scheduler; any thread may call it.
    virtual std::unique_ptr<link::PrintJob> makePrintJob() = 0;
};

// Where the printing module is: its install place, relative to the program's own folder (the
// build puts it in the same place relative to bin/).
QString PrintingFolder();

// Loads the printing module from `folder` and makes its Printing; null when the module cannot
// be loaded, with the reason in `why`. A loaded module stays loaded to the end of the program.
std::unique_ptr<Printing> LoadPrinting(QString& why, const QString& folder = PrintingFolder());

} // namespace lumivo::ui

// The module's one entry point, looked up by name.
extern "C" using LumivoMakePrinting = lumivo::ui::Printing * ();
