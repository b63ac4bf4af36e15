#include "signs/sent_graphics.h"

#include <string>

namespace lumivo::signs {

Result<Graphic> SentGraphics::load(std::string_view name) const {
    if (const std::optional<int> number = GraphicNumberOfName(name)) {
        if (const auto it = m_graphics.find(*number); it != m_graphics.end()) {
            return it->second;
        }
    }
    return Error{"Graphic \"" + std::string(name) + "\" was not sent with this page"};
}

} // namespace lumivo::signs
