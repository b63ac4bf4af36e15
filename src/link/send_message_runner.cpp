// Send Message: "<BE>", the page of Line 1, the blocks of every graphic the line shows, "<BF>".

#include "link/runner_common.h"
#include "link/runners.h"

#include "core/frame.h"
#include "core/graphic.h"

#include <algorithm>
#include <set>
#include <string>

namespace lumivo::link {

namespace {

constexpr std::string_view kNoMessage = " No Message To Send ";
constexpr std::string_view kSendMessageError = "   Send Message Error   ";
constexpr std::string_view kSendGraphicError = "   Send Graphic Error   ";

// Stands in when a caller gives no graphics folder: every picture tag names a missing graphic.
class NoGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view name) const override {
        return Error{"Graphic " + std::string(name) +
                     " cannot be read: there is no graphics folder"};
    }
};

// Counts the graphics a transfer reads, each name once.
class CountingSource final : public GraphicSource {
public:
    explicit CountingSource(const GraphicSource& inner) : m_inner(inner) {}
    Result<Graphic> load(std::string_view name) const override {
        m_names.insert(std::string(name));
        return m_inner.load(name);
    }
    std::size_t count() const { return m_names.size(); }

private:
    const GraphicSource& m_inner;
    mutable std::set<std::string> m_names;
};

// "Page A sent to sign 01 with 2 graphics"; a send to 00 goes to every sign.
std::string SentSummary(const SendMessageInput& input, std::size_t graphics) {
    std::string summary =
        std::string("Page ") + input.page + " sent to " +
        (IsBroadcast(input.signId) ? "every sign (ID 00)" : "sign " + input.signId);
    if (graphics == 1) {
        summary += " with 1 graphic";
    } else if (graphics > 1) {
        summary += " with " + std::to_string(graphics) + " graphics";
    }
    return summary;
}

// The page, byte by byte: the bar moves before every second byte and ends at its maximum. False
// when a write failed or the sign did not take the page.
bool SendPageStream(PortSession& port, Clock& clock, const Bytes& stream, bool broadcast,
                    const Progress& progress) {
    const int maximum = static_cast<int>(stream.size() / 2);
    const auto report = [&](int value) {
        if (progress) {
            progress(value, maximum);
        }
    };
    report(0);
    int value = 0;
    for (std::size_t i = 1; i <= stream.size(); ++i) {
        if (i % 2 == 0) {
            report(++value);
        }
        if (!port.write(std::string_view(stream).substr(i - 1, 1))) {
            report(0);
            return false;
        }
    }
    if (!broadcast && !port.waitReply()) {
        report(0);
        return false;
    }
    port.delay(clock, 100);
    report(0);
    return true;
}

// "Graphic G01 2/3" for each block frame of the transfer: its graphic, its place among that
// graphic's blocks and their count.
std::vector<std::string> BlockSteps(const std::vector<int>& blockGraphics) {
    std::vector<std::string> steps;
    for (std::size_t i = 0; i < blockGraphics.size(); ++i) {
        const int number = blockGraphics[i];
        const auto count = std::count(blockGraphics.begin(), blockGraphics.end(), number);
        const auto place =
            std::count(blockGraphics.begin(),
                       blockGraphics.begin() + static_cast<std::ptrdiff_t>(i) + 1, number);
        steps.push_back("Graphic " + GraphicName(number) + " " + std::to_string(place) + "/" +
                        std::to_string(count));
    }
    return steps;
}

void Report(const StepReport& step, const std::string& text) {
    if (step) {
        step(text);
    }
}

// The blocks of the graphics, each frame answered before the next; false at the first failure.
bool SendGraphicBlocks(PortSession& port, Clock& clock, const Transfer& transfer, bool broadcast,
                       const StepReport& step) {
    const std::vector<std::string> steps = BlockSteps(transfer.blockGraphics);
    for (std::size_t i = 0; i < transfer.blockFrames.size(); ++i) {
        if (i < steps.size()) {
            Report(step, steps[i]);
        }
        if (!port.write(transfer.blockFrames[i]) || (!broadcast && !port.waitReply())) {
            return false;
        }
        port.delay(clock, 250);
    }
    return true;
}

} // namespace

Outcome RunSendMessage(const PortOpener& open, Clock& clock, const SendMessageInput& input,
                       const Progress& progress, const StepReport& step) {
    if (input.lineText.empty()) {
        return Outcome{BoxKind::Information, std::string(kNoMessage), false};
    }
    static const NoGraphics kNoGraphics;
    const CountingSource graphics(input.graphics ? *input.graphics : kNoGraphics);
    Result<Transfer> transfer = BuildTransfer(input.lineText, input.page, input.signId, graphics);
    if (!transfer) {
        return ErrorFailure(transfer.error().message);
    }

    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    const bool broadcast = IsBroadcast(input.signId);

    Report(step, std::string("Page ") + input.page);
    // The begin bracket's reply is read and not judged; a failed write means the line is gone.
    if (!port.sendFrame(kBeginTransferPayload, input.signId)) {
        return port.failure(kSendMessageError);
    }
    if (!broadcast) {
        port.waitReply();
    }
    port.delay(clock, 200);
    if (!SendPageStream(port, clock, transfer->pageStream, broadcast, progress)) {
        return port.failure(kSendMessageError);
    }
    if (!SendGraphicBlocks(port, clock, *transfer, broadcast, step)) {
        return port.failure(kSendGraphicError);
    }
    Report(step, "End of transfer");
    port.delay(clock, 200);
    if (!port.sendFrame(kEndTransferPayload, input.signId)) {
        return port.failure(kSendMessageError);
    }
    if (!broadcast) {
        port.waitReply();
    }
    Outcome done = Succeeded();
    done.details = SentSummary(input, graphics.count());
    return done;
}

} // namespace lumivo::link
