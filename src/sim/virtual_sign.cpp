#include "sim/virtual_sign.h"

#include "core/frame.h"

namespace lumivo::sim {

VirtualSign::VirtualSign(int id, Fault fault) : m_fault(fault) {
    m_state.id = id;
}

std::vector<Exchange> VirtualSign::receive(SignLine& line, std::string_view bytes) {
    line.idleSeen = false;
    return handleAll(line.parser.feed(bytes));
}

std::vector<Exchange> VirtualSign::lineIdle(SignLine& line) {
    line.idleSeen = true;
    return handleAll(line.parser.flushIdle());
}

std::vector<Exchange> VirtualSign::handleAll(std::vector<ParsedFrame> frames) {
    std::vector<Exchange> exchanges;
    for (ParsedFrame& frame : frames) {
        exchanges.push_back(handle(std::move(frame)));
    }
    return exchanges;
}

Exchange VirtualSign::handle(ParsedFrame frame) {
    Exchange exchange;
    exchange.frame = std::move(frame);
    switch (exchange.frame.kind) {
    case ParsedKind::Frame:
        handleFrame(exchange);
        break;
    case ParsedKind::SetId:
        handleSetId(exchange);
        break;
    case ParsedKind::Dropped:
        exchange.note = exchange.frame.reason;
        break;
    }
    return exchange;
}

Bytes VirtualSign::spoil(std::string_view reply) const {
    switch (m_fault) {
    case Fault::None:
        return Bytes(reply);
    case Fault::Silent:
        return {};
    case Fault::Refuse:
        return Bytes(kRefusalReply);
    case Fault::Garbage:
        return Bytes(kGarbageReply);
    }
    return {};
}

void VirtualSign::handleFrame(Exchange& exchange) {
    const ParsedFrame& frame = exchange.frame;
    exchange.kind = ClassifyPayload(frame.payload);
    const std::optional<int> address = ParseSignId(frame.signId);
    const bool broadcast = address == 0;
    if (!broadcast && address != m_state.id) {
        exchange.note = "not for this sign";
        return;
    }
    if (!frame.checksumOk) {
        exchange.note = "bad checksum";
        if (!broadcast) {
            exchange.reply = spoil(kRefusalReply);
        }
        return;
    }
    if (m_fault == Fault::Refuse) {
        exchange.note = "refused";
    } else {
        ApplyPayload(m_state, frame.payload);
        exchange.applied = true;
        if (exchange.kind == PayloadKind::Unknown) {
            exchange.note = "unknown payload";
        }
    }
    if (!broadcast) {
        exchange.reply = spoil(kAckReply);
    }
}

void VirtualSign::handleSetId(Exchange& exchange) {
    const std::string& digits = exchange.frame.signId;
    const std::optional<int> newId = ParseSignId(digits);
    if (!newId || *newId == 0) {
        // "00" addresses every sign; no sign can be given it as its own.
        exchange.note = "not a sign ID";
        exchange.reply = spoil(kRefusalReply);
        return;
    }
    if (m_fault == Fault::Refuse) {
        exchange.note = "refused";
    } else {
        m_state.id = *newId;
        exchange.applied = true;
    }
    exchange.reply = spoil(SignIdText(*newId));
}

} // namespace lumivo::sim
