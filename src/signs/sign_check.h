#pragma once

#include "signs/dispatcher.h"
#include "signs/sign_list.h"

#include <QString>

#include <optional>
#include <string>

namespace lumivo::signs {

// The line check of one sign as a command: the empty transfer to the sign's ID on its line. Its
// outcome's text is the check's short verdict ("the sign answers"), a success only when the sign
// answered "ACK", and its details are the whole report. A running lumivod that owns the line is
// not asked: it takes no check, and the line is not opened.
SignCommand LineCheckCommand();

// What says that a running lumivod owns the line of `sign`, so that `action` ("check", "scan")
// from here would mix its frames with lumivod's and the line is not opened; nothing when no
// lumivod owns it.
std::optional<std::string> ServiceOwnsLine(const Sign& sign, const QString& settingsFile,
                                           const std::string& action);

} // namespace lumivo::signs
