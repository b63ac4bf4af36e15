// The commands of one or a few frames: Set ID, Set Clock, Run Page, Set Brightness, Link Pages,
// schedules, the deletions and the recall of the default font.

#include "link/runner_common.h"
#include "link/runners.h"

#include "core/frame.h"

namespace lumivo::link {

namespace {

// The texts one frame command ends with.
struct CommandTexts {
    std::string_view success;   // an addressed sign answered "ACK"
    std::string_view failure;   // no "ACK", or the write failed
    std::string_view broadcast; // sign ID "00": nothing is read
};

// Open, write one frame, judge the reply unless the ID is "00", close.
Outcome RunOneFrame(const PortOpener& open, std::string_view payload, const std::string& signId,
                    const CommandTexts& texts) {
    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    if (!port.sendFrame(payload, signId)) {
        return port.failure(texts.failure);
    }
    if (IsBroadcast(signId)) {
        return Information(texts.broadcast);
    }
    return port.waitReply() ? Information(texts.success) : port.failure(texts.failure);
}

constexpr std::string_view kSetIdOk = "    Set ID OK    ";
constexpr std::string_view kSetIdError = "    Set ID Error    ";
constexpr std::string_view kTimeHasBlanks =
    " The time has blank digits: enter it in full as hh:nn:ss ";

constexpr std::string_view kScheduleError = "  Send Schedule Error  ";
constexpr std::string_view kDeleteScheduleError = "  Send Message Error  ";
constexpr std::string_view kDeletePageError = "  Delete Page Error  ";

} // namespace

Outcome RunSetId(const PortOpener& open, Clock& /*clock*/, int newId) {
    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    // No frame: the sign whatever its ID takes the new one and echoes its two digits.
    if (!port.write(SetIdBytes(newId))) {
        return port.failure(kSetIdError);
    }
    const std::string echo = port.readBytes(2);
    return SetIdEchoMatches(echo, newId) ? Information(kSetIdOk) : port.failure(kSetIdError);
}

Outcome RunSetClock(const PortOpener& open, Clock& /*clock*/, const std::string& signId,
                    const CivilDate& date, const std::string& timeText) {
    // A sign would store blanks as its time: refuse before anything is opened.
    if (TimeTextHasBlanks(timeText)) {
        return ErrorFailure(kTimeHasBlanks);
    }
    return RunOneFrame(
        open, SetClockPayload(date, timeText), signId,
        {" Set Date&Time OK ", "   Set Date&Time Error   ", " Setting Date&Time is Over"});
}

Outcome RunRunPage(const PortOpener& open, Clock& /*clock*/, const std::string& signId, char page) {
    return RunOneFrame(
        open, RunPagePayload(page), signId,
        {"   Run page Error OK   ", "  Run page Error  ", "   Running page is Over   "});
}

Outcome RunSetBrightness(const PortOpener& open, Clock& /*clock*/, const std::string& signId,
                         int levelIndex) {
    return RunOneFrame(
        open, BrightnessPayload(levelIndex), signId,
        {"  Set Brightness OK  ", "  Set Brightness Error  ", "  Setting Brightness is Over  "});
}

Outcome RunLinkPages(const PortOpener& open, Clock& /*clock*/, const std::string& signId,
                     const std::string& pages) {
    return RunOneFrame(open, LinkPagesPayload(pages), signId,
                       {"   Link page OK   ", "  Link page Error  ", "   Linking page is over   "});
}

Outcome RunSendSchedules(const PortOpener& open, Clock& clock, const std::string& signId,
                         const std::vector<ScheduleEntry>& entries) {
    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    const bool broadcast = IsBroadcast(signId);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!port.sendFrame(SchedulePayload(static_cast<int>(i), entries[i]), signId) ||
            (!broadcast && !port.waitReply())) {
            return port.failure(kScheduleError);
        }
        port.delay(clock, 70);
    }
    port.close();
    return Information(broadcast ? "   Sending Schedule is Over   " : "   Send Schedule OK   ");
}

Outcome RunDeleteSchedules(const PortOpener& open, Clock& /*clock*/, const std::string& signId,
                           const std::array<bool, kMaxScheduleEntries>& checked) {
    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    const bool broadcast = IsBroadcast(signId);
    for (int k = 0; k < kMaxScheduleEntries; ++k) {
        if (!checked[static_cast<std::size_t>(k)]) {
            continue;
        }
        if (!port.sendFrame(DeleteSchedulePayload(k), signId) ||
            (!broadcast && !port.waitReply())) {
            return port.failure(kDeleteScheduleError);
        }
    }
    port.close();
    return Information(broadcast ? "   Deleting Schedule is Over   " : "   Delete Schedule OK   ");
}

Outcome RunDeletePageLines(const PortOpener& open, Clock& clock, const std::string& signId,
                           const PageLineMarks& lines) {
    PortSession port(open);
    if (!port.isOpen()) {
        return OpenFailure(port);
    }
    const bool broadcast = IsBroadcast(signId);
    for (std::size_t page = 0; page < lines.size(); ++page) {
        for (std::size_t line = 0; line < 2; ++line) {
            if (!lines[page][line]) {
                continue;
            }
            const char letter = static_cast<char>('A' + page);
            if (!port.sendFrame(DeleteLinePayload(static_cast<int>(line) + 1, letter), signId)) {
                return port.failure(kDeletePageError);
            }
            if (broadcast) {
                continue;
            }
            if (!port.waitReply()) {
                return port.failure(kDeletePageError);
            }
            port.delay(clock, 50);
        }
    }
    port.close();
    return Information(broadcast ? "   Deleting page is over   " : "   Delete page OK   ");
}

Outcome RunDeleteAll(const PortOpener& open, Clock& /*clock*/, const std::string& signId) {
    return RunOneFrame(
        open, kDeleteAllPayload, signId,
        {"   Delete All OK   ", "    Delete All Error    ", "   Deleting All is Over   "});
}

Outcome RunRecallDefaultFont(const PortOpener& open, Clock& /*clock*/, const std::string& signId) {
    return RunOneFrame(
        open, kRecallDefaultFontPayload, signId,
        {"  Recall Default Font OK  ", "   Send Message Error   ", "  Recall Default Font Over  "});
}

} // namespace lumivo::link
