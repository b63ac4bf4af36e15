#include "sim/change_note.h"

#include "core/bytes.h"
#include "core/userfont.h"
#include "sim/sign_picture.h"

namespace lumivo::sim {

namespace {

std::string Letter(char c) {
    return std::string(1, c);
}

// "2026-12-07 14:05:09" from the clock digits yy ww mm dd hh nn ss as the sign keeps them.
std::string ClockText(const std::string& digits) {
    if (digits.size() != 14) {
        return digits;
    }
    return "20" + digits.substr(0, 2) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2) +
           " " + digits.substr(8, 2) + ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2);
}

std::string AppliedNote(PayloadKind kind, std::string_view p, const SignState& after) {
    switch (kind) {
    case PayloadKind::Page: {
        const std::string page = "page " + Letter(p[6]);
        return p[2] == '1' ? page + " stored" : page + " line " + Letter(p[2]) + " stored";
    }
    case PayloadKind::GraphicBlock: {
        const std::size_t end = p.find('>');
        return "graphic " + Letter(p[2]) + " block " + std::string(p.substr(3, end - 3)) +
               " stored";
    }
    case PayloadKind::SetClock:
        return "clock set to " + ClockText(after.clock.value_or(""));
    case PayloadKind::RunPage:
        return "running page " + Letter(p[3]);
    case PayloadKind::Brightness:
        return "brightness " + std::to_string(BrightnessPercent(p[2])) + " %";
    case PayloadKind::Schedule: {
        const auto slot = after.schedules.find(p[2]);
        const std::string pages = slot != after.schedules.end() ? slot->second.pages : "";
        return "schedule " + Letter(p[2]) + " stored: pages " + pages;
    }
    case PayloadKind::DeleteSchedule:
        return "schedule " + Letter(p[3]) + " deleted";
    case PayloadKind::DeleteLine:
        return "page " + Letter(p[5]) + " line " + Letter(p[3]) + " deleted";
    case PayloadKind::DeleteAll:
        return "pages, graphics and schedules deleted";
    case PayloadKind::FontChar:
        return "user character " + UserCharCodeText(ParseHex(p.substr(3, 2)) + kFirstUserCharCode) +
               " stored";
    case PayloadKind::RecallFont:
        return "user characters back to the factory font";
    case PayloadKind::BeginTransfer:
        return "transfer begun";
    case PayloadKind::EndTransfer:
        return "transfer ended";
    case PayloadKind::Unknown:
        break;
    }
    return "unknown command, nothing changed";
}

} // namespace

std::string ChangeNote(const Exchange& exchange, const SignState& after) {
    const ParsedFrame& frame = exchange.frame;
    switch (frame.kind) {
    case ParsedKind::Dropped:
        return "frame dropped: " + exchange.note;
    case ParsedKind::SetId:
        return exchange.applied ? "ID set to " + frame.signId
                                : "ID change to " + frame.signId + " ignored: " + exchange.note;
    case ParsedKind::Frame:
        break;
    }
    if (!exchange.applied) {
        return "frame for sign " + frame.signId + " ignored: " + exchange.note;
    }
    return AppliedNote(exchange.kind, frame.payload, after);
}

} // namespace lumivo::sim
