#include "link/port.h"

#include <utility>

namespace lumivo::link {

namespace {

thread_local OpenFailureNote t_openFailure;

} // namespace

void NoteOpenFailure(std::string device, std::string reason) {
    t_openFailure = OpenFailureNote{std::move(device), std::move(reason)};
}

OpenFailureNote TakeOpenFailure() {
    return std::exchange(t_openFailure, OpenFailureNote{});
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
