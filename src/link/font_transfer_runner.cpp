// Font transfer: "<BE>", one frame per drawn user character, "<BF>".

#include "link/runner_common.h"
#include "link/runners.h"

#include "core/bytes.h"
#include "core/frame.h"

#include <optional>

namespace lumivo::link {

namespace {

std::string CharacterError(const UserCharRecord& record) {
    return "   Transfer " + PrintableText(RecordCodeText(record)) + " Font Error   ";
}

// A bracket frame that could not be written: the line is gone, whatever the characters did.
constexpr std::string_view kLineLost = "   Transfer Font Error   ";

// The frame of each record, none for a record never drawn. Every drawn record must have a sign
// character: a record from a foreign font file with an unknown size letter or a code outside
// U40..U7F is refused before anything is sent; the refusal is returned.
std::optional<Outcome> BuildPayloads(const std::vector<UserCharRecord>& records,
                                     std::vector<std::optional<Bytes>>& payloads) {
    payloads.reserve(records.size());
    for (const UserCharRecord& record : records) {
        if (IsBlankRecord(record)) {
            payloads.emplace_back();
            continue;
        }
        std::optional<Bytes> payload = FontCharPayload(record);
        if (!payload) {
            return ErrorFailure(" Character " + PrintableText(RecordEntryText(record)) +
                                " has no character on the sign: nothing was sent ");
        }
        payloads.push_back(std::move(payload));
    }
    return std::nullopt;
}

// `outcome` with what happened to the last frame on the line as its details.
Outcome Explained(Outcome outcome, const PortSession& port) {
    outcome.details = port.noAnswerDetails();
    return outcome;
}

// The open line of one transfer and how it reports its progress.
struct FontLine {
    PortSession& port;
    Clock& clock;
    const std::string& signId;
    bool broadcast;
    const Progress& progress;
    int maximum;

    void report(int value) const {
        if (progress) {
            progress(value, maximum);
        }
    }
};

// Sends the drawn characters one frame each. A character the sign does not take ends the
// transfer with its end bracket; a line that is gone ends it at once. Returns the failure, or
// nothing when every character got through (those are in `sent`).
std::optional<Outcome> SendCharacters(const FontLine& line,
                                      const std::vector<UserCharRecord>& records,
                                      const std::vector<std::optional<Bytes>>& payloads,
                                      std::vector<UserCharRecord>& sent) {
    int value = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!payloads[i]) {
            continue; // never drawn: no frame, no progress, no pause
        }
        line.report(++value);
        if (!line.port.sendFrame(*payloads[i], line.signId)) {
            // The line is gone: nothing more can reach the sign, not even the end bracket.
            line.report(0);
            return Explained(ErrorFailure(CharacterError(records[i])), line.port);
        }
        if (line.broadcast || line.port.waitReply()) {
            sent.push_back(records[i]);
            line.port.delay(line.clock, 60);
            continue;
        }
        // Told now: the end bracket below is written after the character that got no answer.
        Outcome failed = Explained(ErrorFailure(CharacterError(records[i])), line.port);
        line.port.delay(line.clock, 200);
        if (line.port.sendFrame(kEndTransferPayload, line.signId)) {
            line.port.waitReply();
        }
        line.port.close();
        line.report(0);
        return failed;
    }
    return std::nullopt;
}

// The end bracket after every character went; its reply is read and not judged.
Outcome EndTransfer(const FontLine& line) {
    line.port.delay(line.clock, 200);
    const bool ended = line.port.sendFrame(kEndTransferPayload, line.signId);
    if (ended && !line.broadcast) {
        line.port.waitReply();
    }
    line.port.close();
    line.report(0);
    if (!ended) {
        return Explained(ErrorFailure(kLineLost), line.port);
    }
    return Information(line.broadcast ? "      Transfer Font Over      "
                                      : "      Transfer Font OK      ");
}

} // namespace

FontTransferResult RunFontTransfer(const PortOpener& open, Clock& clock, const std::string& signId,
                                   const std::vector<UserCharRecord>& records,
                                   const Progress& progress) {
    std::vector<std::optional<Bytes>> payloads;
    if (std::optional<Outcome> refused = BuildPayloads(records, payloads)) {
        return {std::move(*refused), {}};
    }
    PortSession port(open);
    if (!port.isOpen()) {
        return {OpenFailure(port), {}};
    }
    const FontLine line{
        port, clock, signId, IsBroadcast(signId), progress, static_cast<int>(records.size())};
    FontTransferResult result;
    line.report(0);
    // The brackets' replies are read and not judged.
    if (!port.sendFrame(kBeginTransferPayload, signId)) {
        result.outcome = Explained(ErrorFailure(kLineLost), port);
        return result;
    }
    if (!line.broadcast) {
        port.waitReply();
    }
    port.delay(clock, 200);
    if (std::optional<Outcome> failed = SendCharacters(line, records, payloads, result.sent)) {
        result.outcome = std::move(*failed);
        return result;
    }
    result.outcome = EndTransfer(line);
    return result;
}

} // namespace lumivo::link
