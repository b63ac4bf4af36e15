#pragma once

#include "link/frame_log.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::link {

// A frame as the frame log shows it: printable bytes as they are, every other byte as "\xHH"
// (a backslash as "\x5C"), and the raw bytes of a graphic block or a user character frame as
// one hex run, "<ID01><GA1>[64 bytes: 80 00 ...]B5<E>".
std::string FrameLogFrameText(std::string_view frame);

// "10:41:03.512": the local time of day of `wallMs` (ms since 1970, UTC).
std::string LocalTimeOfDay(std::int64_t wallMs);

// Turns the frame log's items into the lines a person reads. Each command gets a heading with
// its number, time, name, port and device; then one line per frame written, per reply (its bytes
// with the time each came), per wait that got nothing and per pause, each with the time since the
// command began; then its outcome. When commands on different lines interleave, a line names the
// command that goes on.
class FrameLogFormatter {
public:
    using TimeOfDay = std::function<std::string(std::int64_t wallMs)>;
    explicit FrameLogFormatter(TimeOfDay timeOfDay = LocalTimeOfDay);

    // The lines `items` add, in order; `dropped` items went before them because the queue was
    // full. A reply still coming in is held back until its command's next item.
    std::vector<std::string> add(const std::vector<FrameLogItem>& items, std::size_t dropped = 0);

private:
    struct Command {
        std::string heading; // number, time and name; the port is added when it comes
        bool headed = false;
        std::string reply; // bytes of a reply still coming in
        std::vector<std::int64_t> replyTimes;
    };

    void addItem(const FrameLogItem& item, std::vector<std::string>& lines);
    void head(std::uint64_t id, Command& command, const std::string& port,
              std::vector<std::string>& lines);
    void flushReply(Command& command, std::vector<std::string>& lines);

    TimeOfDay m_timeOfDay;
    std::map<std::uint64_t, Command> m_commands;
    std::uint64_t m_lastShown = 0; // the command the last line was about
};

} // namespace lumivo::link
