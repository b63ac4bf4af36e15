#pragma once

#include "core/compiler.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "link/clock.h"
#include "link/outcome.h"
#include "link/port.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace lumivo::link {

// One runner per command: a synchronous function over a port opener and a clock that follows the
// command's frames, replies and pauses and returns what the user sees. Sign IDs are the two-digit
// texts "00".."FF"; "00" never reads a reply. Runners never show anything themselves.

// Reports progress: `value` of `maximum`.
using Progress = std::function<void(int value, int maximum)>;
// Names the step a command begins, for the user: "Page A", "Graphic G01 2/3".
using StepReport = std::function<void(const std::string& step)>;

struct SendMessageInput {
    std::string lineText; // 8-bit line text of Line 1
    std::string signId;   // "00".."FF"
    char page = 'A';      // "A".."Z"
    const GraphicSource* graphics = nullptr;
};
// "<BE>", the page (progress counts every second byte), each used graphic G01..G16 block by
// block, "<BF>". Refuses an empty line and unreadable graphics before anything is written.
// `step` hears "Page A" before the begin bracket, "Graphic G01 2/3" before each block and
// "End of transfer" before the end bracket.
Outcome RunSendMessage(const PortOpener& open, Clock& clock, const SendMessageInput& input,
                       const Progress& progress = {}, const StepReport& step = {});

// Set ID: "<ID><" + new ID + "><E>" without a frame; the sign echoes the two digits.
Outcome RunSetId(const PortOpener& open, Clock& clock, int newId);

// Set Clock; a time text with blanks is refused before the port opens.
Outcome RunSetClock(const PortOpener& open, Clock& clock, const std::string& signId,
                    const CivilDate& date, const std::string& timeText);

Outcome RunRunPage(const PortOpener& open, Clock& clock, const std::string& signId, char page);

// levelIndex 0..3 for 100%, 75%, 50%, 25%.
Outcome RunSetBrightness(const PortOpener& open, Clock& clock, const std::string& signId,
                         int levelIndex);

Outcome RunLinkPages(const PortOpener& open, Clock& clock, const std::string& signId,
                     const std::string& pages);

// Every entry in list order as slots A..E, 70 ms after each; the list is a snapshot.
Outcome RunSendSchedules(const PortOpener& open, Clock& clock, const std::string& signId,
                         const std::vector<ScheduleEntry>& entries);

// checked[k] deletes slot "A" + k; no pause between frames.
Outcome RunDeleteSchedules(const PortOpener& open, Clock& clock, const std::string& signId,
                           const std::array<bool, kMaxScheduleEntries>& checked);

// lines[page][line] marks line 1 (index 0) or 2 (index 1) of page "A" + page; sent page A to Z,
// line 1 before line 2, 50 ms after each acknowledged line.
using PageLineMarks = std::array<std::array<bool, 2>, 26>;
Outcome RunDeletePageLines(const PortOpener& open, Clock& clock, const std::string& signId,
                           const PageLineMarks& lines);

Outcome RunDeleteAll(const PortOpener& open, Clock& clock, const std::string& signId);

struct FontTransferResult {
    Outcome outcome;
    // Records the sign took (or that went to "00"), in order: the window draws them into the
    // European character picture, and saves the picture when the transfer succeeded.
    std::vector<UserCharRecord> sent;
};
// All-zero records are skipped; progress advances once per record sent (maximum = list size).
FontTransferResult RunFontTransfer(const PortOpener& open, Clock& clock, const std::string& signId,
                                   const std::vector<UserCharRecord>& records,
                                   const Progress& progress = {});

// Sends "<DU>"; the window restores the factory picture after a success.
Outcome RunRecallDefaultFont(const PortOpener& open, Clock& clock, const std::string& signId);

} // namespace lumivo::link
