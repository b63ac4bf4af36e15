#pragma once

#include "core/result.h"

#include <QImage>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace lumivo {

// 0xAARRGGBB pixels, row-major, top row first, as an image for the writers. A failure names the
// path the picture was to be written to.
inline Result<QImage> ArgbImage(const std::filesystem::path& path, int width, int height,
                                const std::vector<std::uint32_t>& argb) {
    if (width <= 0 || height <= 0 ||
        argb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return Error{"Cannot write " + path.string() + ": the picture has no pixels"};
    }
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) {
        return Error{"Cannot write " + path.string() + ": not enough memory for the picture"};
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y), argb.data() + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    return image;
}

} // namespace lumivo
