#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace lumivo::link {

// The read time-out of one byte, in milliseconds.
inline constexpr int kReadTimeoutMs = 1100;

// One open connection to the sign line. Created, used and destroyed on the one thread that runs
// the command.
class Port {
public:
    virtual ~Port() = default;

    // Writes one byte; false when the write failed (device gone, connection dropped).
    virtual bool writeByte(std::uint8_t byte) = 0;

    // Writes the bytes one at a time, first byte first; false at the first failed write.
    virtual bool writeBytes(std::string_view bytes);

    // Reads one byte, waiting at most kReadTimeoutMs; false after the time-out or a failure,
    // leaving `byte` as it was.
    virtual bool readByte(std::uint8_t& byte) = 0;

    // Reads one byte, waiting at most `ms` milliseconds (0: only what has come already). Ports
    // that cannot wait less than the read time-out wait that long.
    virtual bool readByteWithin(std::uint8_t& byte, int ms);

    // Closes the connection; further writes fail. Safe to call twice.
    virtual void close() = 0;
};

// Opens the port of a command, or returns null when it cannot be opened.
using PortOpener = std::function<std::unique_ptr<Port>()>;

// Why an opener returned null: the device it tried and the system's reason. An opener notes it
// on the thread it runs on; the command that called it takes it right after.
struct OpenFailureNote {
    std::string device;
    std::string reason;
};
void NoteOpenFailure(std::string device, std::string reason);
// The note of the last failed open on this thread, cleared by taking it.
OpenFailureNote TakeOpenFailure();

// The device an opener opened, noted the same way, so that a command can name it afterwards
// (in the advice to check the line).
void NoteOpenedDevice(std::string device);
std::string TakeOpenedDevice();

} // namespace lumivo::link
