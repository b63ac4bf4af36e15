#pragma once

#include "core/compiler.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "link/runners.h"
#include "signs/dispatcher.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace lumivo::signs {

// Every sign command of the editor as a command for many signs: each calls the command's one
// runner with the sign's ID and records on success what the sign now holds.

// The 8-bit line as Line 1 holds it, sent as `page`, with the graphics it uses read from
// `graphics` (kept alive by the command).
SignCommand SendPageCommand(std::string line, char page,
                            std::shared_ptr<const GraphicSource> graphics);
SignCommand SetClockCommand(CivilDate date, std::string timeText);
SignCommand RunPageCommand(char page);
SignCommand SetBrightnessCommand(int levelIndex); // 0..3 for 100%, 75%, 50%, 25%
SignCommand LinkPagesCommand(std::string pages);
SignCommand SendSchedulesCommand(std::vector<ScheduleEntry> entries);
SignCommand DeleteSchedulesCommand(std::array<bool, kMaxScheduleEntries> checked);
SignCommand DeletePageLinesCommand(link::PageLineMarks lines);
SignCommand DeleteAllCommand();
SignCommand FontTransferCommand(std::vector<UserCharRecord> records);
SignCommand RecallDefaultFontCommand();

} // namespace lumivo::signs
