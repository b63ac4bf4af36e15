#pragma once

#include "core/compiler.h"
#include "core/graphic.h"

#include <map>
#include <utility>

namespace lumivo::signs {

// The graphics a page was sent with, by number, as the source its picture is drawn from: the
// page shows as the sign took it, whatever the graphics folder holds now.
class SentGraphics final : public GraphicSource {
public:
    void set(std::map<int, Graphic> graphics) { m_graphics = std::move(graphics); }
    Result<Graphic> load(std::string_view name) const override;

private:
    std::map<int, Graphic> m_graphics;
};

} // namespace lumivo::signs
