// Font transfer: "<BE>", one frame per drawn user character, "<BF>".

#include "link/runner_common.h"
#include "link/runners.h"

#include "core/bytes.h"
#include "core/frame.h"

#include <optional>

namespace lumivo::link {

using namespace detail;

namespace {

std::string CharacterError(const UserCharRecord& record) {
    return "   Transfer " + PrintableText(RecordCodeText(record)) + " Font Error   ";
}

// A bracket frame that could not be written: the line is gone, whatever the characters did.
constexpr std::string_view kLineLost = "   Transfer Font Error   ";

} // namespace

FontTransferResult RunFontTransfer(const PortOpener& open, Clock& clock, const std::string& signId,
                                   const std::vector<UserCharRecord>& records,
                                   const Progress& progress) {
    // Every drawn record must have a sign character: a record from a foreign font file with an
    // unknown size letter or a code outside U40..U7F is refused before anything is sent.
    std::vector<std::optional<Bytes>> payloads;
    payloads.reserve(records.size());
    for (const UserCharRecord& record : records) {
        if (IsBlankRecord(record)) {
            payloads.emplace_back();
            continue;
        }
        std::optional<Bytes> payload = FontCharPayload(record);
        if (!payload) {
            return {ErrorFailure(" Character " + PrintableText(RecordEntryText(record)) +
                                 " has no character on the sign: nothing was sent "),
                    {}};
        }
        payloads.push_back(std::move(payload));
    }

    PortSession port(open);
    if (!port.isOpen()) {
        return {OpenFailure(port), {}};
    }
    const bool broadcast = IsBroadcast(signId);
    const int maximum = static_cast<int>(records.size());
    const auto report = [&](int value) {
        if (progress) {
            progress(value, maximum);
        }
    };

    FontTransferResult result;
    report(0);
    // The brackets' replies are read and not judged.
    if (!port.sendFrame(kBeginTransferPayload, signId)) {
        result.outcome = ErrorFailure(kLineLost);
        return result;
    }
    if (!broadcast) {
        port.waitReply();
    }
    clock.delay(200);

    int value = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!payloads[i]) {
            continue; // never drawn: no frame, no progress, no pause
        }
        report(++value);
        if (!port.sendFrame(*payloads[i], signId)) {
            // The line is gone: nothing more can reach the sign, not even the end bracket.
            report(0);
            result.outcome = ErrorFailure(CharacterError(records[i]));
            return result;
        }
        if (broadcast || port.waitReply()) {
            result.sent.push_back(records[i]);
            clock.delay(60);
            continue;
        }
        clock.delay(200);
        if (port.sendFrame(kEndTransferPayload, signId)) {
            port.waitReply();
        }
        port.close();
        report(0);
        result.outcome = ErrorFailure(CharacterError(records[i]));
        return result;
    }

    clock.delay(200);
    const bool ended = port.sendFrame(kEndTransferPayload, signId);
    if (ended && !broadcast) {
        port.waitReply();
    }
    port.close();
    report(0);
    if (!ended) {
        result.outcome = ErrorFailure(kLineLost);
        return result;
    }
    result.outcome =
        Information(broadcast ? "      Transfer Font Over      " : "      Transfer Font OK      ");
    return result;
}

} // namespace lumivo::link
