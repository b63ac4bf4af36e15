// The printing module: the print dialog over a QPrinter and raw jobs on the CUPS scheduler,
// loaded by the editor at its first Send via Network (dialogs/printing.h).

#include "dialogs/printing.h"
#include "link/print/cups_print_job.h"

#include <QDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

namespace {

class CupsPrinting final : public lumivo::ui::Printing {
public:
    ~CupsPrinting() override {
        // The print dialog works on the printer, so it goes first.
        delete m_dialog;
    }

    QPrinter& printer() override {
        if (m_printer == nullptr) {
            // Made on first use: making it asks the print system for its default queue.
            m_printer = std::make_unique<QPrinter>();
        }
        return *m_printer;
    }

    void choosePrinter(QWidget& owner, std::function<void(const QString&)> chosen) override {
        if (m_dialog == nullptr) {
            // A child of the owner, shown as a window of its own.
            m_dialog = new QPrintDialog(&printer(), &owner);
            m_dialog->setObjectName(QStringLiteral("PrintDialog1"));
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setOption(QAbstractPrintDialog::PrintToFile, false);
        }
        // One answer per showing: the connections end with the dialog's end.
        auto* context = new QObject(m_dialog);
        QObject::connect(m_dialog, &QDialog::finished, context,
                         [this, context, chosen = std::move(chosen)](int result) {
                             context->deleteLater();
                             if (result == QDialog::Accepted) {
                                 chosen(printer().printerName());
                             }
                         });
        m_dialog->show();
        m_dialog->raise();
        m_dialog->activateWindow();
    }

    std::unique_ptr<lumivo::link::PrintJob> makePrintJob() override {
        return std::make_unique<lumivo::link::CupsPrintJob>();
    }

private:
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QPrintDialog> m_dialog;
};

} // namespace

extern "C" Q_DECL_EXPORT lumivo::ui::Printing* lumivo_make_printing() {
    return new CupsPrinting;
}
