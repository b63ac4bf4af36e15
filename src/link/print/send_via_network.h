#pragma once

#include "core/compiler.h"
#include "link/clock.h"
#include "link/outcome.h"
#include "link/print/print_job.h"

#include <string>

namespace lumivo::link {

// Pause after every write into the job.
inline constexpr int kNetworkWritePauseMs = 260;

// Send via Network: the page of the line (line 1 of `page` for `signId`), then every block of
// each graphic the line uses, G01..G16, each as one write into a single raw print job on
// `printerName`, 260 ms after each write. No transfer bracket and no replies; an empty line
// sends the empty page. The page and every graphic are read before the job is created: a graphic
// that cannot be read is refused with a message naming it and no job is made. Queue failures end
// with "Printer not found", "Printer Doc Error", "Printer page Error" or "Printe File Error" as
// errors; a success shows nothing.
Outcome RunSendViaNetwork(PrintJob& job, Clock& clock, const std::string& printerName,
                          const std::string& lineText, const std::string& signId, char page,
                          const GraphicSource& graphics);

} // namespace lumivo::link
