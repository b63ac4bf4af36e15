#pragma once

#include "link/port.h"

#include <QString>

namespace lumivo::link {

// Opens a target: a serial device path (or COMn name on Windows) at 9600 8N1 with 1024-byte
// queues and exclusive access, or "tcp://host:port" for a serial device server.
PortOpener OpenerForTarget(const QString& target);

// Opens the device that the COM port setting n is mapped to (see port_names.h).
PortOpener OpenerForComPort(int n, const QString& settingsFile);

} // namespace lumivo::link
