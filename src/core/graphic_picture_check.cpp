#include "core/graphic_picture_check.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string>

namespace lumivo {

namespace {

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::string Text(std::uint64_t value) {
    return std::to_string(value);
}

// --- BMP ---------------------------------------------------------------------------------------

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpCoreHeaderSize = 12; // the oldest header: 16-bit width and height
constexpr std::uint32_t kBmpRgb = 0;
constexpr std::uint32_t kBmpRle8 = 1;
constexpr std::uint32_t kBmpRle4 = 2;
constexpr std::uint32_t kBmpBitFields = 3;
constexpr std::uint32_t kBmpAlphaBitFields = 6;

Status CheckBmp(std::string_view bytes, const PictureLimits& limits) {
    const std::uint64_t size = bytes.size();
    if (size < kBmpFileHeaderSize + 4) {
        return Error{"the file ends inside its header"};
    }
    const std::uint64_t dataOffset = LittleEndian(bytes, 10, 4);
    const std::uint32_t headerSize = LittleEndian(bytes, 14, 4);
    const bool core = headerSize == kBmpCoreHeaderSize;
    const std::size_t headerEnd = core ? 26 : 38; // the fields read below
    if (size < headerEnd) {
        return Error{"the file ends inside its header"};
    }
    if (dataOffset >= size) {
        return Error{"the pixel data would begin at byte " + Text(dataOffset) +
                     ", past the end of the " + Text(size) + "-byte file"};
    }
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = kBmpRgb;
    std::uint64_t dataSize = 0;
    if (core) {
        width = LittleEndian(bytes, 18, 2);
        height = LittleEndian(bytes, 20, 2);
        bitCount = LittleEndian(bytes, 24, 2);
    } else {
        // Width and height are signed; a negative height stores the rows top-down.
        const auto signedValue = [&](std::size_t at) {
            const auto value = static_cast<std::int32_t>(LittleEndian(bytes, at, 4));
            return static_cast<std::uint64_t>(value < 0 ? -static_cast<std::int64_t>(value)
                                                        : value);
        };
        width = signedValue(18);
        height = signedValue(22);
        bitCount = LittleEndian(bytes, 28, 2);
        compression = LittleEndian(bytes, 30, 4);
        dataSize = LittleEndian(bytes, 34, 4);
    }
    if (!limits.allows(width, height)) {
        return Error{"the picture (" + Text(width) + " x " + Text(height) +
                     " pixels) is too large"};
    }
    const std::uint64_t available = size - dataOffset;
    if (compression == kBmpRgb || compression == kBmpBitFields ||
        compression == kBmpAlphaBitFields) {
        const std::uint64_t rowBytes = (width * bitCount + 31) / 32 * 4;
        const std::uint64_t needed = rowBytes * height;
        if (available < needed) {
            return Error{"the pixel data is cut short: the file holds " + Text(available) +
                         " bytes of pixels, its " + Text(width) + " x " + Text(height) +
                         " picture needs " + Text(needed)};
        }
    } else if ((compression == kBmpRle8 || compression == kBmpRle4) && available < dataSize) {
        return Error{"the pixel data is cut short: the file holds " + Text(available) +
                     " bytes of pixels, its header promises " + Text(dataSize)};
    }
    return Ok{};
}

// --- PNG ---------------------------------------------------------------------------------------

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr std::size_t kChunkFrame = 12; // length, type and checksum around the chunk's data

int PngChannels(int colourType) {
    switch (colourType) {
    case 0: // grey
    case 3: // palette
        return 1;
    case 4: // grey and alpha
        return 2;
    case 2: // red, green, blue
        return 3;
    case 6: // red, green, blue and alpha
        return 4;
    default:
        return 0;
    }
}

std::uint64_t FilteredRows(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel) {
    if (width == 0 || height == 0) {
        return 0;
    }
    return height * (1 + (width * bitsPerPixel + 7) / 8);
}

// Inflates one zlib stream with its output bounded; the output goes nowhere, only its amount
// counts, and inflating stops one buffer past the bound.
class BoundedInflater {
public:
    explicit BoundedInflater(std::uint64_t limit) : m_limit(limit) {
        m_ok = inflateInit(&m_stream) == Z_OK;
    }
    ~BoundedInflater() { inflateEnd(&m_stream); }
    BoundedInflater(const BoundedInflater&) = delete;
    BoundedInflater& operator=(const BoundedInflater&) = delete;

    // Feeds more of the stream. False once the output passed the bound or the stream is damaged.
    bool feed(std::string_view data) {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        m_stream.avail_in = static_cast<uInt>(data.size());
        while (m_ok && !m_ended && m_stream.avail_in > 0) {
            m_stream.next_out = m_buffer.data();
            m_stream.avail_out = static_cast<uInt>(m_buffer.size());
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            m_produced += m_buffer.size() - m_stream.avail_out;
            if (m_produced > m_limit) {
                m_exceeded = true;
                m_ok = false;
            } else if (result == Z_STREAM_END) {
                m_ended = true;
            } else if (result != Z_OK) {
                m_ok = false;
            }
        }
        return m_ok;
    }

    std::uint64_t produced() const { return m_produced; }
    bool exceeded() const { return m_exceeded; }

private:
    z_stream m_stream{};
    std::array<Bytef, 64 * 1024> m_buffer{};
    std::uint64_t m_limit;
    std::uint64_t m_produced = 0;
    bool m_ok = false;
    bool m_ended = false;
    bool m_exceeded = false;
};

// Where the compressed text of a metadata chunk begins: after its keyword and, for colour
// profiles and text, the compression method; international text only when its flag says so.
// npos when the chunk holds nothing compressed.
std::size_t CompressedPart(std::string_view type, std::string_view data) {
    const std::size_t keywordEnd = data.find('\0');
    if (keywordEnd == std::string_view::npos) {
        return std::string_view::npos;
    }
    if (type == "zTXt" || type == "iCCP") {
        return keywordEnd + 2;
    }
    if (type == "iTXt" && keywordEnd + 2 < data.size() && data[keywordEnd + 1] == 1) {
        const std::size_t languageEnd = data.find('\0', keywordEnd + 3);
        const std::size_t translatedEnd = languageEnd == std::string_view::npos
                                              ? std::string_view::npos
                                              : data.find('\0', languageEnd + 1);
        return translatedEnd == std::string_view::npos ? translatedEnd : translatedEnd + 1;
    }
    return std::string_view::npos;
}

Status CheckPng(std::string_view bytes, const PictureLimits& limits) {
    constexpr std::size_t kHeaderEnd = 8 + kChunkFrame + 13;
    if (bytes.size() < kHeaderEnd || bytes.substr(12, 4) != "IHDR" || BigEndian32(bytes, 8) != 13) {
        return Ok{}; // not a PNG header: the reader refuses it at once
    }
    const std::uint64_t width = BigEndian32(bytes, 16);
    const std::uint64_t height = BigEndian32(bytes, 20);
    if (!limits.allows(width, height)) {
        return Error{"the picture (" + Text(width) + " x " + Text(height) +
                     " pixels) is too large"};
    }
    const std::uint64_t expected =
        PngImageDataBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                          static_cast<unsigned char>(bytes[24]),
                          static_cast<unsigned char>(bytes[25]), bytes[28] != 0);
    if (expected == 0) {
        return Ok{}; // a header no PNG has: the reader refuses it at once
    }
    BoundedInflater image(expected);
    std::uint64_t metadata = 0;
    std::size_t at = kPngSignature.size();
    while (true) {
        if (bytes.size() - at < kChunkFrame) {
            return Error{"the pixel data is cut short: the file ends before its end chunk"};
        }
        const std::uint64_t length = BigEndian32(bytes, at);
        const std::string_view type = bytes.substr(at + 4, 4);
        if (length > bytes.size() - at - kChunkFrame) {
            return Error{"the pixel data is cut short: the file ends inside a chunk"};
        }
        const std::string_view data = bytes.substr(at + 8, static_cast<std::size_t>(length));
        if (type == "IEND") {
            break;
        }
        if (type == "IDAT" && !image.feed(data)) {
            if (image.exceeded()) {
                return Error{"the image data inflates to more than the " + Text(expected) +
                             " bytes its picture holds"};
            }
            return Error{"the image data is damaged"};
        }
        if (const std::size_t from = CompressedPart(type, data); from < data.size()) {
            BoundedInflater text(kMaxPngMetadataBytes - metadata);
            text.feed(data.substr(from));
            if (text.exceeded()) {
                return Error{"its text and colour profiles inflate to more than " +
                             Text(kMaxPngMetadataBytes / (1024 * 1024)) + " MiB"};
            }
            metadata += text.produced();
        }
        at += kChunkFrame + static_cast<std::size_t>(length);
    }
    if (image.produced() < expected) {
        return Error{"the pixel data is cut short: its image data gives " + Text(image.produced()) +
                     " of the " + Text(expected) + " bytes the picture needs"};
    }
    return Ok{};
}

} // namespace

std::uint64_t PngImageDataBytes(std::uint32_t width, std::uint32_t height, int bitDepth,
                                int colourType, bool interlaced) {
    const int channels = PngChannels(colourType);
    if (channels == 0 || width == 0 || height == 0 ||
        (bitDepth != 1 && bitDepth != 2 && bitDepth != 4 && bitDepth != 8 && bitDepth != 16)) {
        return 0;
    }
    const std::uint64_t bitsPerPixel = static_cast<std::uint64_t>(channels) * bitDepth;
    if (!interlaced) {
        return FilteredRows(width, height, bitsPerPixel);
    }
    // The seven passes: first column and row, then the steps between them.
    struct Pass {
        std::uint64_t x, y, dx, dy;
    };
    constexpr std::array<Pass, 7> kPasses = {{{0, 0, 8, 8},
                                              {4, 0, 8, 8},
                                              {0, 4, 4, 8},
                                              {2, 0, 4, 4},
                                              {0, 2, 2, 4},
                                              {1, 0, 2, 2},
                                              {0, 1, 1, 2}}};
    std::uint64_t total = 0;
    for (const Pass& pass : kPasses) {
        const std::uint64_t columns = width > pass.x ? (width - pass.x + pass.dx - 1) / pass.dx : 0;
        const std::uint64_t rows = height > pass.y ? (height - pass.y + pass.dy - 1) / pass.dy : 0;
        total += FilteredRows(columns, rows, bitsPerPixel);
    }
    return total;
}

Status CheckPictureBytes(std::string_view bytes, const PictureLimits& limits) {
    if (bytes.substr(0, 2) == "BM") {
        return CheckBmp(bytes, limits);
    }
    if (bytes.substr(0, kPngSignature.size()) == kPngSignature) {
        return CheckPng(bytes, limits);
    }
    return Ok{};
}

} // namespace lumivo
