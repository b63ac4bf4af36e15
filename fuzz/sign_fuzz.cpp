// Any bytes on the virtual sign's line: the frames found, what the sign makes of them, its replies
// and its final state do not depend on how the bytes were cut into reads, and every byte received
// is accounted for (in a frame, skipped as garbage, or still pending).
//
// Input: the first byte gives the number of cut lengths that follow (0..7), each the size of one
// read (1..64 bytes, used in turn); the rest is the line.
#include "core/frame.h"
#include "sim/frame_parser.h"
#include "sim/json_out.h"
#include "sim/virtual_sign.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using lumivo::sim::Exchange;
using lumivo::sim::ParsedFrame;

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

bool SameFrame(const ParsedFrame& a, const ParsedFrame& b) {
    return a.kind == b.kind && a.signId == b.signId && a.payload == b.payload &&
           a.checksumText == b.checksumText && a.checksumOk == b.checksumOk && a.raw == b.raw &&
           a.reason == b.reason;
}

bool SameExchange(const Exchange& a, const Exchange& b) {
    return SameFrame(a.frame, b.frame) && a.kind == b.kind && a.applied == b.applied &&
           a.reply == b.reply && a.note == b.note;
}

// Cuts the line into reads of the given lengths, used in turn.
std::vector<std::string_view> Cut(std::string_view line, const std::vector<std::size_t>& lengths) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0, i = 0; at < line.size(); ++i) {
        const std::size_t n = lengths.empty() ? line.size() : lengths[i % lengths.size()];
        pieces.push_back(line.substr(at, n));
        at += pieces.back().size();
    }
    return pieces;
}

template <typename T> void Append(std::vector<T>& to, std::vector<T> more) {
    for (T& item : more) {
        to.push_back(std::move(item));
    }
}

void CheckParser(std::string_view line, const std::vector<std::string_view>& pieces) {
    lumivo::sim::FrameParser whole;
    std::vector<ParsedFrame> expected = whole.feed(line);
    lumivo::sim::FrameParser cut;
    std::vector<ParsedFrame> got;
    for (std::string_view piece : pieces) {
        Append(got, cut.feed(piece));
    }
    Check(got.size() == expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        Check(SameFrame(got[i], expected[i]));
    }
    Check(cut.pendingBytes() == whole.pendingBytes() && cut.skippedBytes() == whole.skippedBytes());

    // Every byte is in exactly one place.
    std::size_t accounted = whole.skippedBytes() + whole.pendingBytes();
    for (const ParsedFrame& frame : expected) {
        accounted += frame.raw.size();
    }
    Check(accounted == line.size());

    // A second quiet spell right after the first finds nothing new.
    (void)whole.flushIdle();
    Check(whole.flushIdle().empty());
}

void CheckSign(std::string_view line, const std::vector<std::string_view>& pieces) {
    lumivo::sim::VirtualSign whole(1);
    std::vector<Exchange> expected = whole.receive(line);
    Append(expected, whole.lineIdle());
    lumivo::sim::VirtualSign cut(1);
    std::vector<Exchange> got;
    for (std::string_view piece : pieces) {
        Append(got, cut.receive(piece));
    }
    Append(got, cut.lineIdle());
    Check(got.size() == expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        Check(SameExchange(got[i], expected[i]));
        // Only a frame for this sign or the unframed Set ID is ever answered.
        if (!got[i].reply.empty()) {
            Check(got[i].frame.kind == lumivo::sim::ParsedKind::SetId ||
                  (got[i].frame.kind == lumivo::sim::ParsedKind::Frame &&
                   lumivo::ParseSignId(got[i].frame.signId).value_or(-1) != 0));
        }
        (void)lumivo::sim::ExchangeJson(got[i], "");
    }
    Check(lumivo::sim::StateJson(cut.state()) == lumivo::sim::StateJson(whole.state()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty()) {
        return 0;
    }
    const std::size_t cuts = static_cast<std::uint8_t>(input[0]) % 8;
    input.remove_prefix(1);
    std::vector<std::size_t> lengths;
    for (std::size_t i = 0; i < cuts && !input.empty(); ++i) {
        lengths.push_back(1 + static_cast<std::uint8_t>(input[0]) % 64);
        input.remove_prefix(1);
    }
    const std::vector<std::string_view> pieces = Cut(input, lengths);
    CheckParser(input, pieces);
    CheckSign(input, pieces);
    return 0;
}
