#include "link/print/send_via_network.h"

#include "core/graphic.h"

#include <vector>

namespace lumivo::link {

namespace {

Outcome Failure(std::string text) {
    return Outcome{BoxKind::Error, std::move(text), false};
}

// Every write of the job, in order: the page, then the blocks of the used graphics.
Result<std::vector<Bytes>> NetworkFrames(const std::string& lineText, const std::string& signId,
                                         char page, const GraphicSource& graphics) {
    Result<Page> built = BuildPage(lineText, 0, page, signId, graphics);
    if (!built) {
        return built.error();
    }
    std::vector<Bytes> frames{built->stream};
    for (int number = 1; number <= kGraphicCount; ++number) {
        if (!built->compilation.usedGraphics[static_cast<std::size_t>(number - 1)]) {
            continue;
        }
        const std::string name = GraphicName(number);
        Result<Graphic> graphic = graphics.load(name);
        if (!graphic) {
            return graphic.error();
        }
        if (Status fits = CheckGraphicForSign(*graphic, name); !fits) {
            return fits.error();
        }
        for (Bytes& frame : GraphicBlockFrames(GraphicLetter(number), *graphic, signId)) {
            frames.push_back(std::move(frame));
        }
    }
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
