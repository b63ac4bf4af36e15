#pragma once

#include "link/clock.h"
#include "link/port.h"

#include <QString>

#include <functional>
#include <memory>

namespace lumivo::link {

// What a window needs to talk to the sign. The window calls both when a command starts, so the
// COM port setting in force at that moment is used; tests put a fake port and clock here.
struct SignConnection {
    std::function<PortOpener()> portOpener;
    std::function<std::unique_ptr<Clock>()> makeClock;
};

// The real connection: the device the COM port setting is mapped to, and the real clock.
// `comPortSetting` is asked at each command.
SignConnection MakeSignConnection(std::function<int()> comPortSetting, QString settingsFile);

} // namespace lumivo::link
