#pragma once

#include "link/print/print_job.h"

#include <string>
#include <vector>

// Opaque libcups types; only the .cpp file includes the library's headers.
typedef struct _http_s http_t;

namespace lumivo::link {

// A raw job on a CUPS scheduler: the one named by cupsServer() (CUPS_SERVER, client.conf or the
// local default), reached over a connection of the job's own.
//
// How the steps map onto the scheduler:
// - openPrinter: connects and looks the queue up (cupsGetNamedDest); "name/instance" names an
//   instance. No scheduler, or no such queue, is a printer that is not found.
// - startDocument: Create-Job titled with the document name, then a Send-Document of format
//   application/vnd.cups-raw that stays open for the writes (cupsStartDocument).
// - startPage: a raw stream has no pages, so there is nothing to ask the scheduler; the step
//   succeeds exactly when a document is open for writing.
// - write: one cupsWriteRequestData of all the bytes.
// - endPage: nothing to do, for the same reason.
// - endDocument: cupsFinishDocument, the scheduler's verdict on the whole document. After a
//   failed write the document is cancelled instead: a half-sent frame has no use on a sign.
// - closePrinter: cancels a job whose document never finished, and disconnects.
// Nothing ever prompts for a password: a scheduler that demands one refuses the job.
class CupsPrintJob final : public PrintJob {
public:
    CupsPrintJob() = default;
    ~CupsPrintJob() override;
    CupsPrintJob(const CupsPrintJob&) = delete;
    CupsPrintJob& operator=(const CupsPrintJob&) = delete;

    bool openPrinter(const std::string& name) override;
    bool startDocument(std::string_view documentName) override;
    bool startPage() override;
    bool write(std::string_view bytes) override;
    bool endPage() override;
    bool endDocument() override;
    void closePrinter() override;

    // The scheduler's number for the job of this printer session, 0 before Create-Job succeeded;
    // still readable after closePrinter().
    int jobId() const { return m_jobId; }
    // The library's account of the last step that failed, for logs.
    const std::string& lastError() const { return m_lastError; }

private:
    void noteError(std::string_view step);
    void cancelJob();

    http_t* m_http = nullptr;
    std::string m_queue;
    int m_jobId = 0;
    bool m_jobPending = false; // created, and neither finished nor cancelled
    bool m_documentOpen = false;
    bool m_writeFailed = false;
    std::string m_lastError;
};

// Queues the print dialog can offer: every destination of the scheduler ("name" or
// "name/instance") and the default one (empty when there is none). An unreachable scheduler
// gives an empty list.
struct PrintQueues {
    std::vector<std::string> names;
    std::string defaultName;
};
PrintQueues ListPrintQueues();

} // namespace lumivo::link
