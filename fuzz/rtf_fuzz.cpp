// Fuzz target for the message document reader: any input must read without crashing, and a
// document that reads must write and read back to the same document.
#include "core/rtf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const lumivo::Result<lumivo::RtfDocument> read = lumivo::ReadRtf(bytes);
    if (!read.ok()) {
        return 0;
    }
    const lumivo::Result<lumivo::RtfDocument> again = lumivo::ReadRtf(lumivo::WriteRtf(*read));
    if (!again.ok() || !(*again == *read)) {
        std::abort();
    }
    return 0;
}
