// Any line through the compiler: never crashes, and the page is always one well-formed frame.
#include "core/compiler.h"
#include "core/frame.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class OneGraphic final : public lumivo::GraphicSource {
public:
    lumivo::Result<lumivo::Graphic> load(std::string_view name) const override {
        if (name == "G01" || name == "G3") {
            return lumivo::Graphic{std::vector<std::string>(8, std::string(96, 'A'))};
        }
        return lumivo::Error{"missing"};
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const OneGraphic graphics;
    const auto page = lumivo::BuildPage(line, 0, 'A', "01", graphics);
    if (!page) {
        return 0;
    }
    const std::string& s = page->stream;
    if (s.size() < 20 || s.compare(0, 6, "<ID01>") != 0 || s.compare(s.size() - 3, 3, "<E>") != 0 ||
        s.find('\n') != std::string::npos || s.find('\r') != std::string::npos) {
        std::abort();
    }
    const std::string payload = s.substr(6, s.size() - 11);
    if (lumivo::Hex2(lumivo::FrameChecksum(payload)) != s.substr(s.size() - 5, 2)) {
        std::abort();
    }
    return 0;
}
