#pragma once

#include "link/clock.h"
#include "link/line_record.h"
#include "link/port.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumivo::link {

// How a sign took the empty transfer: the begin and the end of a transfer with nothing between,
// the one exchange that changes nothing on a sign.
enum class SignAnswer {
    Answers, // "ACK"
    Silent,  // no byte came back
    Noise,   // bytes that are no reply
    Refused, // "NACK": the sign heard a damaged frame
};

// The answer the bytes read after a frame make.
SignAnswer JudgeReply(const std::string& reply);

// What one empty transfer to one ID came to.
struct SignProbe {
    std::string signId;
    SignAnswer answer = SignAnswer::Silent;
    std::string reply; // the bytes the answer was judged on
};

// The end of a check: the port did not open (`opened` false, `device` and `reason` say why),
// or the probe of the sign and the record of what happened on the line.
struct LineCheckResult {
    bool opened = false;
    std::string device;
    std::string reason;
    SignProbe probe;
    std::string record; // DescribeRecord of the line
};

// Opens the port, sends the empty transfer to `signId` ("01".."FF") with a pause of 200 ms
// between its two frames, each reply byte waited for at most `waitMs`, and judges the replies.
LineCheckResult CheckLine(const PortOpener& open, Clock& clock, const std::string& signId,
                          int waitMs = kReadTimeoutMs);

// Hears each ID before it is tried: its place (1-based) and the number of IDs.
using ScanProgress = std::function<void(const std::string& signId, int place, int count)>;

// The empty transfer to each ID in turn over one open port, the first reply byte waited for at
// most `waitMs`; an ID that stays silent gets its end frame unanswered. nullopt when the port did
// not open (then `failure` holds the device and the reason).
std::optional<std::vector<SignProbe>> ScanLine(const PortOpener& open, Clock& clock,
                                               const std::vector<std::string>& signIds, int waitMs,
                                               const ScanProgress& progress,
                                               OpenFailureNote* failure);

} // namespace lumivo::link
