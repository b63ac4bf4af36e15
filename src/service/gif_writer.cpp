#include "service/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <string>

namespace lumivo::service {

namespace {

constexpr int kMaxSide = 65535;
constexpr int kMaxPalette = 256;

// Appends what the library writes to the writer's bytes.
int WriteToMemory(GifFileType* file, const GifByteType* bytes, int length) {
    auto* out = static_cast<QByteArray*>(file->UserData);
    out->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

std::string LibraryError(int code) {
    const char* text = GifErrorString(code);
    return text != nullptr ? std::string(text) : "error " + std::to_string(code);
}

// The smallest power of two of at least `count` colours (at least 2), as the format needs.
int PaletteBits(std::size_t count) {
    int bits = 1;
    while ((std::size_t{1} << bits) < count) {
        ++bits;
    }
    return bits;
}

} // namespace

struct GifWriter::Library {
    GifFileType* file = nullptr;
};

GifWriter::GifWriter(int width, int height, std::vector<std::uint32_t> palette)
    : m_width(width), m_height(height), m_palette(std::move(palette)),
      m_library(std::make_unique<Library>()) {}

GifWriter::~GifWriter() {
    if (m_library->file != nullptr) {
        int error = 0;
        EGifCloseFile(m_library->file, &error);
    }
}

Status GifWriter::fail(const char* step) {
    m_failed = true;
    const int code = m_library->file != nullptr ? m_library->file->Error : 0;
    return Error{std::string("the GIF could not be written (") + step + ": " + LibraryError(code) +
                 ")"};
}

Result<std::unique_ptr<GifWriter>> GifWriter::open(int width, int height,
                                                   std::vector<std::uint32_t> palette) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        return Error{"a GIF is 1 to 65535 pixels wide and high, not " + std::to_string(width) +
                     " x " + std::to_string(height)};
    }
    if (palette.empty() || palette.size() > kMaxPalette) {
        return Error{"a GIF has 1 to 256 colours, not " + std::to_string(palette.size())};
    }
    std::unique_ptr<GifWriter> writer(new GifWriter(width, height, std::move(palette)));
    int error = 0;
    writer->m_library->file = EGifOpen(&writer->m_bytes, WriteToMemory, &error);
    if (writer->m_library->file == nullptr) {
        return Error{"the GIF could not be started: " + LibraryError(error)};
    }
    GifFileType* file = writer->m_library->file;
    EGifSetGifVersion(file, true);

    const int bits = PaletteBits(writer->m_palette.size());
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < writer->m_palette.size(); ++i) {
        const std::uint32_t argb = writer->m_palette[i];
        colours[i] = GifColorType{static_cast<GifByteType>((argb >> 16) & 0xFFu),
                                  static_cast<GifByteType>((argb >> 8) & 0xFFu),
                                  static_cast<GifByteType>(argb & 0xFFu)};
    }
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    if (map == nullptr) {
        return Error{"the GIF's palette could not be made"};
    }
    const int described = EGifPutScreenDesc(file, width, height, bits, 0, map);
    GifFreeMapObject(map);
    if (described != GIF_OK) {
        return writer->fail("screen").error();
    }

    // Loop forever: the application extension "NETSCAPE2.0" with a loop count of 0.
    static const GifByteType kLoopName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoopForever[] = {1, 0, 0};
    if (EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(file, sizeof kLoopName, kLoopName) != GIF_OK ||
        EGifPutExtensionBlock(file, sizeof kLoopForever, kLoopForever) != GIF_OK ||
        EGifPutExtensionTrailer(file) != GIF_OK) {
        return writer->fail("loop extension").error();
    }
    writer->m_previous.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              0);
    return writer;
}

Status GifWriter::add(const ArgbPicture& picture, int centiseconds) {
    if (m_failed || m_library->file == nullptr) {
        return Error{"the GIF writer failed before or was finished"};
    }
    if (picture.width != m_width || picture.height != m_height ||
        picture.pixels.size() != m_previous.size()) {
        m_failed = true;
        return Error{"a frame of " + std::to_string(picture.width) + " x " +
                     std::to_string(picture.height) + " pixels in a GIF of " +
                     std::to_string(m_width) + " x " + std::to_string(m_height)};
    }
    if (centiseconds < 1 || centiseconds > 65535) {
        m_failed = true;
        return Error{"a GIF frame shows for 1 to 65535 centiseconds, not " +
                     std::to_string(centiseconds)};
    }
    m_indices.resize(picture.pixels.size());
    // The last colour looked up, since neighbouring pixels mostly share one.
    std::uint32_t lastColour = m_palette.front();
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint32_t colour = picture.pixels[i] | 0xFF000000u;
        if (colour != (lastColour | 0xFF000000u)) {
            const auto found = std::find_if(m_palette.begin(), m_palette.end(),
                                            [&](auto c) { return (c | 0xFF000000u) == colour; });
            if (found == m_palette.end()) {
                m_failed = true;
                return Error{"a frame has a colour outside the GIF's palette"};
            }
            lastColour = *found;
            lastIndex = static_cast<std::uint8_t>(found - m_palette.begin());
        }
        m_indices[i] = lastIndex;
    }

    // The rectangle that changed since the frame before (the whole picture for the first; one
    // pixel when nothing changed, as every frame needs an image).
    int left = 0;
    int top = 0;
    int right = m_width - 1;
    int bottom = m_height - 1;
    if (m_frames > 0) {
        left = m_width;
        top = m_height;
        right = -1;
        bottom = -1;
        for (int y = 0; y < m_height; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
            for (int x = 0; x < m_width; ++x) {
                if (m_indices[row + static_cast<std::size_t>(x)] !=
                    m_previous[row + static_cast<std::size_t>(x)]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        if (right < 0) {
            left = right = top = bottom = 0;
        }
    }

    GifFileType* file = m_library->file;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = centiseconds;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
        GIF_OK) {
        return fail("frame delay");
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    if (EGifPutImageDesc(file, left, top, width, height, false, nullptr) != GIF_OK) {
        return fail("frame");
    }
    for (int y = top; y <= bottom; ++y) {
        GifPixelType* line = m_indices.data() +
                             static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                             static_cast<std::size_t>(left);
        if (EGifPutLine(file, line, width) != GIF_OK) {
            return fail("frame pixels");
        }
    }
    m_previous.swap(m_indices);
    ++m_frames;
    return Ok{};
}

Result<QByteArray> GifWriter::finish() {
    if (m_failed || m_library->file == nullptr) {
        return Error{"the GIF writer failed before or was finished"};
    }
    if (m_frames == 0) {
        return Error{"a GIF needs at least one frame"};
    }
    int error = 0;
    GifFileType* file = m_library->file;
    m_library->file = nullptr; // closed below, whatever the outcome
    if (EGifCloseFile(file, &error) != GIF_OK) {
        m_failed = true;
        return Error{"the GIF could not be ended: " + LibraryError(error)};
    }
    return m_bytes;
}

std::size_t GifWriter::worstFrameBytes(int width, int height) {
    const std::size_t pixels = static_cast<std::size_t>(std::max(width, 0)) *
                               static_cast<std::size_t>(std::max(height, 0));
    // Every pixel its own code of at most 12 bits, a clear code each 4096 codes or fewer, then
    // the sub-block length bytes and the frame's delay extension and descriptor.
    const std::size_t data = (pixels + pixels / 2048 + 8) * 3 / 2 + 1;
    return data + data / 255 + 64;
}

} // namespace lumivo::service
