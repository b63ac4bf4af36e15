#pragma once

#include <string>
#include <string_view>

namespace lumivo::link {

// Name under which Send via Network submits its job.
inline constexpr std::string_view kNetworkDocumentName = "Lumivotxt";

// One raw print job, driven step by step in the order a spooler expects: open the printer,
// start the document, start the page, write, end the page, end the document, close. Each step
// reports whether it worked; the caller decides what to undo. A job object serves one printer
// session: closePrinter() ends it.
class PrintJob {
public:
    virtual ~PrintJob() = default;

    // Finds the queue; false when there is no queue of that name.
    virtual bool openPrinter(const std::string& name) = 0;
    // Starts a document of raw bytes that no filter may touch.
    virtual bool startDocument(std::string_view documentName) = 0;
    virtual bool startPage() = 0;
    // Passes the bytes on unchanged, all in one call.
    virtual bool write(std::string_view bytes) = 0;
    virtual bool endPage() = 0;
    // Hands the document over to the queue; false when the queue did not take it.
    virtual bool endDocument() = 0;
    virtual void closePrinter() = 0;
};

} // namespace lumivo::link
