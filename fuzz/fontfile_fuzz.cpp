// Any bytes as a user font file: decoding never reads past the end, and whole files round-trip.
#include "core/userfont.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto contents = lumivo::DecodeFontFile(bytes);
    if (!contents) {
        return 0;
    }
    for (const auto& record : contents->records) {
        (void)lumivo::FontCharPayload(record);
        (void)lumivo::RecordEntryText(record);
    }
    const auto again = lumivo::DecodeFontFile(lumivo::EncodeFontFile(contents->records));
    if (!again || again->records != contents->records || again->damaged) {
        std::abort();
    }
    return 0;
}
