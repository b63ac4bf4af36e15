// Any bytes as a picture file: decoding never crashes, refuses what it cannot read, and what it
// accepts is a whole picture that imports into a graphic and survives the BMP writer.
#include "core/graphic_picture.h"
#include "image/picture_file.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Qt's image readers report damaged files through its message handler; a fuzz run feeds
// little else, so the reports are dropped.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QtMessageHandler previous = qInstallMessageHandler(Quiet);
    static_cast<void>(previous);
    const lumivo::Bytes bytes(reinterpret_cast<const char*>(data), size);
    const auto picture = lumivo::DecodePicture(bytes, "fuzz");
    if (!picture) {
        if (picture.error().message.rfind("Cannot read fuzz: ", 0) != 0) {
            std::abort();
        }
        return 0;
    }
    const lumivo::RgbPicture& p = *picture;
    if (p.width <= 0 || p.height <= 0 || p.width > lumivo::kMaxPictureSide ||
        p.height > lumivo::kMaxPictureSide ||
        p.pixels.size() != static_cast<std::size_t>(p.width) * p.height) {
        std::abort();
    }
    lumivo::PixelStore store;
    lumivo::ImportGraphicPicture(store, p, lumivo::kMaxSignGraphicWidth, 8);
    // Small pictures go once more through the BMP writer and back, unchanged.
    if (static_cast<std::size_t>(p.width) * p.height <= 64 * 64) {
        const auto again = lumivo::DecodePicture(lumivo::EncodeBmp24(p), "again");
        if (!again || again->width != p.width || again->height != p.height ||
            again->pixels != p.pixels) {
            std::abort();
        }
    }
    return 0;
}
