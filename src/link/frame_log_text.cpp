#include "link/frame_log_text.h"

#include "core/bytes.h"

#include <cstdio>
#include <ctime>

namespace lumivo::link {

namespace {

constexpr std::size_t kAddressEnd = 6; // "<ID01>"
constexpr std::size_t kFrameTail = 5;  // checksum + "<E>"

// "     12 ms  ": the time column of a line about a command.
std::string TimeColumn(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%8lld ms  ", static_cast<long long>(ms));
    return text;
}

// Where the raw bytes of a graphic block or user character frame begin (after its "<G..>" or
// "<F..>" tag), or 0 for a frame of text.
std::size_t RawBytesStart(std::string_view frame) {
    if (frame.size() < kAddressEnd + 3 || frame.substr(0, 3) != "<ID" ||
        frame[kAddressEnd - 1] != '>' || frame[kAddressEnd] != '<' ||
        (frame[kAddressEnd + 1] != 'G' && frame[kAddressEnd + 1] != 'F')) {
        return 0;
    }
    const std::size_t close = frame.find('>', kAddressEnd);
    if (close == std::string_view::npos || close + 1 + kFrameTail > frame.size() ||
        frame.substr(frame.size() - 3) != "<E>") {
        return 0;
    }
    return close + 1;
}

std::string CountText(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string BoxName(BoxKind box) {
    switch (box) {
    case BoxKind::None:
        break;
    case BoxKind::Information:
        return "information box ";
    case BoxKind::Error:
        return "error box ";
    case BoxKind::Plain:
        return "message box ";
    }
    return {};
}

std::string OutcomeText(const Outcome& outcome) {
    std::string text = "end: ";
    if (outcome.box != BoxKind::None) {
        text += BoxName(outcome.box) + "\"" + outcome.text + "\"";
    } else {
        text += outcome.success ? "done" : "failed";
    }
    if (!outcome.details.empty()) {
        text += "; " + outcome.details;
    }
    return text;
}

std::string PortText(const FrameLogItem& item) {
    std::string text = "port " + item.text;
    if (!item.device.empty() && item.device != item.text) {
        text += " -> " + item.device;
    }
    if (!item.reason.empty()) {
        text += ": not opened: " + item.reason;
    }
    return text;
}

std::string EventText(const LineEvent& event) {
    switch (event.kind) {
    case LineEvent::Kind::Wrote:
        return "wrote " + FrameLogFrameText(event.bytes) + "  (" +
               CountText(event.bytes.size(), "byte", "bytes") + ")";
    case LineEvent::Kind::WriteFailed:
        return "write failed: " + FrameLogFrameText(event.bytes) +
               "  (the device is gone or the connection dropped)";
    case LineEvent::Kind::Read: // replies are merged before they are shown
        return "reply " + HexBytes(event.bytes);
    case LineEvent::Kind::Silence:
        return "nothing came in " + std::to_string(event.ms) + " ms";
    case LineEvent::Kind::Pause:
        return "pause " + std::to_string(event.ms) + " ms";
    }
    return {};
}

} // namespace

std::string FrameLogFrameText(std::string_view frame) {
    const std::size_t raw = RawBytesStart(frame);
    if (raw == 0) {
        return PrintableText(frame);
    }
    const std::size_t end = frame.size() - kFrameTail;
    const std::string_view bytes = frame.substr(raw, end - raw);
    return PrintableText(frame.substr(0, raw)) + "[" + CountText(bytes.size(), "byte", "bytes") +
           ": " + HexBytes(bytes) + "]" + PrintableText(frame.substr(end));
}

std::string LocalTimeOfDay(std::int64_t wallMs) {
    const std::time_t seconds = static_cast<std::time_t>(wallMs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(wallMs % 1000));
    return text;
}

FrameLogFormatter::FrameLogFormatter(TimeOfDay timeOfDay) : m_timeOfDay(std::move(timeOfDay)) {}

std::vector<std::string> FrameLogFormatter::add(const std::vector<FrameLogItem>& items,
                                                std::size_t dropped) {
    std::vector<std::string> lines;
    if (dropped > 0) {
        lines.push_back("(" + CountText(dropped, "earlier item", "earlier items") +
                        " of the log dropped: more came than the log keeps)");
        m_lastShown = 0;
    }
    for (const FrameLogItem& item : items) {
        addItem(item, lines);
    }
    return lines;
}

void FrameLogFormatter::head(std::uint64_t id, Command& command, const std::string& port,
                             std::vector<std::string>& lines) {
    if (command.heading.empty()) {
        command.heading = "#" + std::to_string(id) + "  (begun before the lines kept)";
    }
    lines.push_back(port.empty() ? command.heading : command.heading + "  " + port);
    command.headed = true;
    m_lastShown = id;
}

void FrameLogFormatter::flushReply(Command& command, std::vector<std::string>& lines) {
    if (command.reply.empty()) {
        return;
    }
    std::string times;
    for (const std::int64_t at : command.replyTimes) {
        times += (times.empty() ? "" : ", ") + std::to_string(at);
    }
    lines.push_back(TimeColumn(command.replyTimes.front()) + "reply " + HexBytes(command.reply) +
                    " \"" + PrintableText(command.reply) + "\"  (at " + times + " ms)");
    command.reply.clear();
    command.replyTimes.clear();
}

void FrameLogFormatter::addItem(const FrameLogItem& item, std::vector<std::string>& lines) {
    Command& command = m_commands[item.command];
    if (item.kind == FrameLogItem::Kind::Began) {
        command.heading =
            "#" + std::to_string(item.command) + "  " + m_timeOfDay(item.wallMs) + "  " + item.text;
        return;
    }
    const bool isRead =
        item.kind == FrameLogItem::Kind::Line && item.event.kind == LineEvent::Kind::Read;
    if (!isRead && command.headed) {
        if (m_lastShown != item.command) {
            lines.push_back("#" + std::to_string(item.command) + " goes on");
            m_lastShown = item.command;
        }
        flushReply(command, lines);
    }
    if (!command.headed) {
        head(item.command, command,
             item.kind == FrameLogItem::Kind::Port ? PortText(item) : std::string(), lines);
        if (item.kind == FrameLogItem::Kind::Port) {
            return;
        }
    }
    switch (item.kind) {
    case FrameLogItem::Kind::Began:
        break;
    case FrameLogItem::Kind::Port:
        lines.push_back(TimeColumn(item.event.atMs) + PortText(item));
        break;
    case FrameLogItem::Kind::Line:
        if (isRead) {
            command.reply += item.event.bytes;
            command.replyTimes.push_back(item.event.atMs);
        } else {
            lines.push_back(TimeColumn(item.event.atMs) + EventText(item.event));
        }
        break;
    case FrameLogItem::Kind::Ended:
        lines.push_back(TimeColumn(item.event.atMs) + OutcomeText(item.outcome));
        m_commands.erase(item.command);
        break;
    }
}

} // namespace lumivo::link
