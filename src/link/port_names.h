#pragma once

#include <QString>

namespace lumivo::link {

inline constexpr int kComPortCount = 8;

// The COM port setting as it is used: a number outside 1..8 means 1.
int NormalizeComPort(int n);

// "COM1".."COM8".
QString ComPortName(int n);

// The device a COM port setting reaches: the environment variable LUMIVO_COMn when set (one run
// only), else the value of "COMn" in the section [Ports] of the settings file when there is one (a
// device path such as /dev/ttyUSB0, or tcp://host:port), otherwise the platform default
// (/dev/ttyS0../dev/ttyS7 on Linux, the name itself on Windows).
QString ComPortTarget(int n, const QString& settingsFile);

// True when the environment or the settings file maps COM n to something of its own.
bool ComPortIsMapped(int n, const QString& settingsFile);

} // namespace lumivo::link
