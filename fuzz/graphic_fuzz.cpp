// Any bytes as a graphic file: parsing never crashes, and what it accepts can be stored and cut.
#include "core/graphic.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto graphic = lumivo::ParseGraphic(bytes, "fuzz");
    if (!graphic) {
        return 0;
    }
    lumivo::PixelStore store;
    store.load(*graphic);
    if (store.rows(graphic->width(), graphic->height()) != graphic->rows) {
        std::abort();
    }
    if (lumivo::CheckGraphicForSign(*graphic, "fuzz")) {
        const auto frames = lumivo::GraphicBlockFrames('A', *graphic, "01");
        if (frames.size() != lumivo::BlockOrder(*graphic).size()) {
            std::abort();
        }
    }
    return 0;
}
