#pragma once

#include "core/led_picture.h"
#include "core/result.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumivo::service {

// An animated GIF written into memory, frame by frame, looping forever. Every frame is a picture
// of the size given at the start, in colours of the palette given at the start; each is stored
// as the rectangle that changed since the frame before, drawn over it. This is the one file that
// knows the GIF library.
class GifWriter {
public:
    // Opens a GIF of width x height pixels whose frames use only `palette` (0xAARRGGBB, alpha
    // ignored, at most 256 colours).
    static Result<std::unique_ptr<GifWriter>> open(int width, int height,
                                                   std::vector<std::uint32_t> palette);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Adds a frame shown for `centiseconds` (1..65535). Fails for a picture of another size or
    // with a colour outside the palette; the writer is then of no further use.
    Status add(const ArgbPicture& picture, int centiseconds);
    // Ends the file and gives its bytes. Fails without a frame.
    Result<QByteArray> finish();

    // Bytes written so far.
    std::size_t size() const { return static_cast<std::size_t>(m_bytes.size()); }

    // The most bytes one frame of width x height pixels can take, whatever it shows.
    static std::size_t worstFrameBytes(int width, int height);

private:
    struct Library;
    GifWriter(int width, int height, std::vector<std::uint32_t> palette);
    Status fail(const char* step);

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_palette;
    QByteArray m_bytes;
    std::vector<std::uint8_t> m_previous; // palette indices of the frame before
    std::vector<std::uint8_t> m_indices;
    int m_frames = 0;
    bool m_failed = false;
    std::unique_ptr<Library> m_library;
};

} // namespace lumivo::service
