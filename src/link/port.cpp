#include "link/port.h"

namespace lumivo::link {

bool Port::writeBytes(std::string_view bytes) {
    for (const char c : bytes) {
        if (!writeByte(static_cast<std::uint8_t>(c))) {
            return false;
        }
    }
    return true;
}

} // namespace lumivo::link
