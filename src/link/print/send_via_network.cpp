#include "link/print/send_via_network.h"

#include "core/graphic.h"

#include <iterator>
#include <vector>

namespace lumivo::link {

namespace {

Outcome Failure(std::string text) {
    return Outcome{BoxKind::Error, std::move(text), false};
}

// Every write of the job, in order: the page, then the blocks of the used graphics.
Result<std::vector<Bytes>> NetworkFrames(const std::string& lineText, const std::string& signId,
                                         char page, const GraphicSource& graphics) {
    Result<Transfer> transfer = BuildTransfer(lineText, page, signId, graphics);
    if (!transfer) {
        return transfer.error();
    }
    std::vector<Bytes> frames{std::move(transfer->pageStream)};
    frames.insert(frames.end(), std::make_move_iterator(transfer->blockFrames.begin()),
                  std::make_move_iterator(transfer->blockFrames.end()));
    return frames;
}

} // namespace

Outcome RunSendViaNetwork(PrintJob& job, Clock& clock, const std::string& printerName,
                          const std::string& lineText, const std::string& signId, char page,
                          const GraphicSource& graphics) {
    const Result<std::vector<Bytes>> frames = NetworkFrames(lineText, signId, page, graphics);
    if (!frames) {
        return Failure(frames.error().message);
    }

    if (!job.openPrinter(printerName)) {
        return Failure("Printer not found");
    }
    if (!job.startDocument(kNetworkDocumentName)) {
        job.closePrinter();
        return Failure("Printer Doc Error");
    }
    if (!job.startPage()) {
        job.endDocument();
        job.closePrinter();
        return Failure("Printer page Error");
    }
    for (const Bytes& frame : *frames) {
        if (!job.write(frame)) {
            job.endPage();
            job.endDocument();
            job.closePrinter();
            return Failure("Printe File Error");
        }
        clock.delay(kNetworkWritePauseMs);
    }
    job.endPage();
    const bool delivered = job.endDocument();
    job.closePrinter();
    if (!delivered) {
        // Every write went through but the queue did not take the document.
        return Failure("Printer Doc Error");
    }
    return Outcome{BoxKind::None, {}, true};
}

} // namespace lumivo::link
