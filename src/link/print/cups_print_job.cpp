#include "link/print/cups_print_job.h"

#include <cups/cups.h>

namespace lumivo::link {

namespace {

constexpr int kConnectTimeoutMs = 30000;

// Declines every password request: a worker thread has nobody to ask.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

std::string DestinationName(const cups_dest_t& dest) {
    std::string name = dest.name;
    if (dest.instance != nullptr) {
        name += '/';
        name += dest.instance;
    }
    return name;
}

} // namespace

CupsPrintJob::~CupsPrintJob() {
    closePrinter();
}

void CupsPrintJob::noteError(std::string_view step) {
    m_lastError = std::string(step) + ": " + cupsLastErrorString();
}

bool CupsPrintJob::openPrinter(const std::string& name) {
    closePrinter();
    m_jobId = 0;
    m_lastError.clear();
    if (name.empty()) {
        // libcups would take an empty name for "the default destination".
        m_lastError = "no printer name";
        return false;
    }
    cupsSetPasswordCB2(NoPassword, nullptr);

    const char* server = cupsServer(); // also settles the port when the server names one
    const int port = ippPort();
    m_http = httpConnect2(server, port, nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs,
                          nullptr);
    if (m_http == nullptr) {
        noteError("connect");
        return false;
    }

    const std::size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance =
        slash == std::string::npos ? std::string{} : name.substr(slash + 1);
    cups_dest_t* dest =
        cupsGetNamedDest(m_http, queue.c_str(), instance.empty() ? nullptr : instance.c_str());
    if (dest == nullptr) {
        noteError("find queue");
        httpClose(m_http);
        m_http = nullptr;
        return false;
    }
    m_queue = dest->name;
    cupsFreeDests(1, dest);
    return true;
}

bool CupsPrintJob::startDocument(std::string_view documentName) {
    if (m_http == nullptr || m_jobId != 0) {
        m_lastError = "start document: no printer open, or a document already started";
        return false;
    }
    const std::string title(documentName);
    m_jobId = cupsCreateJob(m_http, m_queue.c_str(), title.c_str(), 0, nullptr);
    if (m_jobId == 0) {
        noteError("create job");
        return false;
    }
    m_jobPending = true;
    if (cupsStartDocument(m_http, m_queue.c_str(), m_jobId, title.c_str(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        noteError("start document");
        cancelJob();
        return false;
    }
    m_documentOpen = true;
    return true;
}

bool CupsPrintJob::startPage() {
    if (!m_documentOpen) {
        m_lastError = "start page: no document open";
    }
    return m_documentOpen;
}

bool CupsPrintJob::write(std::string_view bytes) {
    if (!m_documentOpen || m_writeFailed) {
        m_lastError = "write: no document open";
        return false;
    }
    if (bytes.empty()) {
        return true;
    }
    if (cupsWriteRequestData(m_http, bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE) {
        noteError("write");
        m_writeFailed = true;
        return false;
    }
    return true;
}

bool CupsPrintJob::endPage() {
    return m_documentOpen;
}

bool CupsPrintJob::endDocument() {
    if (!m_documentOpen) {
        m_lastError = "end document: no document open";
        return false;
    }
    m_documentOpen = false;
    const ipp_status_t status = cupsFinishDocument(m_http, m_queue.c_str());
    if (m_writeFailed) {
        cancelJob();
        return false;
    }
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        noteError("finish document");
        cancelJob();
        return false;
    }
    m_jobPending = false;
    return true;
}

void CupsPrintJob::cancelJob() {
    if (m_jobPending) {
        cupsCancelJob2(m_http, m_queue.c_str(), m_jobId, 0);
        m_jobPending = false;
    }
}

void CupsPrintJob::closePrinter() {
    if (m_http == nullptr) {
        return;
    }
    if (m_documentOpen) {
        // The document was never ended: close the request so the connection can carry the
        // cancellation.
        cupsFinishDocument(m_http, m_queue.c_str());
        m_documentOpen = false;
    }
    cancelJob();
    httpClose(m_http);
    m_http = nullptr;
    m_queue.clear();
    m_writeFailed = false;
}

PrintQueues ListPrintQueues() {
    cupsSetPasswordCB2(NoPassword, nullptr);
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    PrintQueues queues;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        queues.names.push_back(DestinationName(dest));
        if (dest.is_default) {
            queues.defaultName = queues.names.back();
        }
    }
    cupsFreeDests(count, dests);
    return queues;
}

} // namespace lumivo::link
