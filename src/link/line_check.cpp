#include "link/line_check.h"

#include "core/frame.h"
#include "link/runner_common.h"

namespace lumivo::link {

namespace {

// Once a reply has begun, its next bytes follow within a few byte times at 9600 baud.
constexpr int kNextByteMs = 100;
// Bytes that follow a reply are kept too, up to this many, to be shown.
constexpr std::size_t kMaxReply = 16;

// The reply to the frame just written: its bytes as they came, the first waited for at most
// `firstMs`; then whatever follows at once (noise is rarely exactly three bytes).
std::string ReadReply(PortSession& port, int firstMs) {
    std::string reply;
    std::uint8_t byte = 0;
    int wait = firstMs;
    while (reply.size() < kMaxReply && port.readByteWithin(byte, wait)) {
        reply += static_cast<char>(byte);
        wait = kNextByteMs;
    }
    return reply;
}

// Bytes left on the line from before (a late answer) are not the next ID's.
void DropWaitingBytes(PortSession& port) {
    std::uint8_t byte = 0;
    for (int i = 0; i < 256 && port.readByteWithin(byte, 0); ++i) {
    }
}

SignProbe Probe(PortSession& port, Clock& clock, const std::string& signId, int waitMs,
                bool endSilently) {
    SignProbe probe{signId, SignAnswer::Silent, {}};
    if (!port.sendFrame(kBeginTransferPayload, signId)) {
        return probe;
    }
    std::string begin = ReadReply(port, waitMs);
    if (begin.empty() && endSilently) {
        port.sendFrame(kEndTransferPayload, signId);
        return probe;
    }
    port.delay(clock, 200);
    std::string end;
    if (port.sendFrame(kEndTransferPayload, signId)) {
        end = ReadReply(port, waitMs);
    }
    // A slow sign's answer to the begin may come while the end is on its way.
    probe.reply = begin.empty() ? end : begin;
    probe.answer = JudgeReply(probe.reply);
    return probe;
}

} // namespace

SignAnswer JudgeReply(const std::string& reply) {
    if (reply.empty()) {
        return SignAnswer::Silent;
    }
    if (IsAckReply(reply.substr(0, kReplyLength))) {
        return SignAnswer::Answers;
    }
    if (reply.rfind("NACK", 0) == 0) {
        return SignAnswer::Refused;
    }
    return SignAnswer::Noise;
}

LineCheckResult CheckLine(const PortOpener& open, Clock& clock, const std::string& signId,
                          int waitMs) {
    LineCheckResult result;
    PortSession port(open);
    if (!port.isOpen()) {
        result.device = port.openFailure().device;
        result.reason = port.openFailure().reason;
        return result;
    }
    result.opened = true;
    result.device = port.device();
    result.probe = Probe(port, clock, signId, waitMs, false);
    port.close();
    result.record = DescribeRecord(port.record());
    return result;
}

std::optional<std::vector<SignProbe>> ScanLine(const PortOpener& open, Clock& clock,
                                               const std::vector<std::string>& signIds, int waitMs,
                                               const ScanProgress& progress,
                                               OpenFailureNote* failure) {
    PortSession port(open);
    if (!port.isOpen()) {
        if (failure != nullptr) {
            *failure = port.openFailure();
        }
        return std::nullopt;
    }
    std::vector<SignProbe> probes;
    const int count = static_cast<int>(signIds.size());
    for (int i = 0; i < count; ++i) {
        const std::string& id = signIds[static_cast<std::size_t>(i)];
        if (progress) {
            progress(id, i + 1, count);
        }
        DropWaitingBytes(port);
        probes.push_back(Probe(port, clock, id, waitMs, true));
    }
    return probes;
}

} // namespace lumivo::link
