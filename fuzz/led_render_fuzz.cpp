// Any line the compiler accepts is drawn and animated without a crash or a read out of bounds:
// its static dots, frames at a few moments of its run, and the stored line itself taken as a
// page a sign received (header codes or not).
#include "core/compiler.h"
#include "core/led_render.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class TwoGraphics final : public lumivo::GraphicSource {
public:
    lumivo::Result<lumivo::Graphic> load(std::string_view name) const override {
        if (name == "G01") {
            return lumivo::Graphic{std::vector<std::string>(16, std::string(120, 'E'))};
        }
        if (name == "G02" || name == "G3") {
            return lumivo::Graphic{std::vector<std::string>(7, std::string(40, 'D'))};
        }
        return lumivo::Error{"missing"};
    }
};

void CheckFrames(const lumivo::PageAnimation& animation, int columns) {
    const double run = animation.duration();
    if (!(run >= 0) || !std::isfinite(run)) {
        std::abort();
    }
    for (double share : {0.0, 0.1, 0.33, 0.5, 0.77, 0.999, 1.5}) {
        const lumivo::DotImage frame = animation.frameAt(run * share);
        if (frame.columns() != columns || frame.rows() != lumivo::kSignRows) {
            std::abort();
        }
    }
    const int rows = animation.content().rows();
    if (rows != lumivo::kLineRows && rows != lumivo::kSignRows) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const TwoGraphics graphics;
    lumivo::SignMemory memory;
    memory.userCharacters[0x41] = {'B', {0xFC, 0x84, 0x84, 0xFC, 0x84, 0x84, 0xFC}};
    memory.userCharacters[0x42] = {'Z', {}};
    const int columns = size % 2 == 0 ? 16 : 80;
    const auto animation =
        lumivo::AnimateLine(line, graphics, memory, lumivo::SignGeometry{columns});
    if (animation) {
        CheckFrames(*animation, columns);
    }
    // The same bytes as a stored page line, as a sign may be sent anything.
    CheckFrames(lumivo::PageAnimation(line, memory, lumivo::SignGeometry{columns}), columns);
    return 0;
}
