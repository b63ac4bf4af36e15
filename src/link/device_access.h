#pragma once

#include <string>
#include <vector>

namespace lumivo::link {

// Whether this user may open a serial device, found before it is opened, so that a failed
// open can be told apart: missing, not allowed, or held by another program.
struct DeviceAccess {
    enum class State { Present, Missing, NoPermission, Unknown };
    State state = State::Unknown;
    std::string group;    // NoPermission: the group the device belongs to ("dialout")
    bool inGroup = false; // NoPermission: the user is in that group already (not yet logged in)
};
DeviceAccess ExamineDevice(const std::string& path);

// The programs that have the device open, "NAME, process PID", this process left out. Found in
// /proc/*/fd on Linux; empty elsewhere or when nothing that may be looked at holds it.
std::vector<std::string> ProgramsHolding(const std::string& path);

} // namespace lumivo::link
