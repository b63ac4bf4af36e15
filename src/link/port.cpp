#include "link/port.h"

#include <utility>

namespace lumivo::link {

namespace {

thread_local OpenFailureNote t_openFailure;
thread_local std::string t_openedDevice;

} // namespace

void NoteOpenFailure(std::string device, std::string reason) {
    t_openFailure = OpenFailureNote{std::move(device), std::move(reason)};
}

OpenFailureNote TakeOpenFailure() {
    return std::exchange(t_openFailure, OpenFailureNote{});
}

void NoteOpenedDevice(std::string device) {
    t_openedDevice = std::move(device);
}

std::string TakeOpenedDevice() {
    return std::exchange(t_openedDevice, std::string());
}

bool Port::readByteWithin(std::uint8_t& byte, int /*ms*/) {
    return readByte(byte);
}

bool Port::writeBytes(std::string_view bytes) {
    for (const char c : bytes) {
        if (!writeByte(static_cast<std::uint8_t>(c))) {
            return false;
        }
    }
    return true;
}

} // namespace lumivo::link
