#include "core/euro_picture.h"

#include "core/euro_glyphs.h"
#include "core/file_io.h"

#include <cctype>
#include <cstddef>
#include <string>
#include <system_error>

namespace lumivo {

OneBitPicture::OneBitPicture(int width, int height)
    : m_width(width), m_height(height),
      m_black(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

bool OneBitPicture::black(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return false;
    }
    return m_black[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                   static_cast<std::size_t>(x)] != 0;
}

void OneBitPicture::setBlack(int x, int y, bool black) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    m_black[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
            static_cast<std::size_t>(x)] = black ? 1 : 0;
}

void OneBitPicture::fill(int left, int top, int right, int bottom, bool black) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            setBlack(x, y, black);
        }
    }
}

namespace {

void DrawDots(OneBitPicture& picture, int left, int top, const std::vector<std::string>& rows) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c] == '#') {
                picture.setBlack(left + static_cast<int>(c), top + static_cast<int>(r), true);
            }
        }
    }
}

int CellLeft(int code) {
    return (code % kEuroColumns) * kEuroCellWidth;
}

int CellTop(int code) {
    return (code / kEuroColumns) * kEuroCellHeight;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

OneBitPicture BuiltInEuroPicture() {
    OneBitPicture picture(kEuroPictureWidth, kEuroPictureHeight);
    const int gridRight = kEuroColumns * kEuroCellWidth;
    const int gridBottom = kEuroRows * kEuroCellHeight;
    for (int column = 0; column <= kEuroColumns; ++column) {
        picture.fill(column * kEuroCellWidth, 0, column * kEuroCellWidth + 1, gridBottom + 1, true);
    }
    for (int row = 0; row <= kEuroRows; ++row) {
        picture.fill(0, row * kEuroCellHeight, gridRight + 1, row * kEuroCellHeight + 1, true);
    }
    for (int code = 0; code < kEuroCodes; ++code) {
        const int left = CellLeft(code);
        const int top = CellTop(code);
        const DotGlyph glyph = EuroCharGlyph(code);
        DrawDots(picture, left + kEuroGlyphLeft, top + kEuroBodyTop - kGlyphBodyTop + glyph.top,
                 glyph.rows);
        const char label[] = {'U', kHexDigits[code / 16], kHexDigits[code % 16]};
        for (int i = 0; i < 3; ++i) {
            DrawDots(picture, left + kEuroLabelLeft + i * 6, top + kEuroBodyTop,
                     LabelGlyph(label[i]));
        }
    }
    return picture;
}

std::optional<int> EuroCellCodeAt(int x, int y) {
    if (x < 0 || y < 0) {
        return std::nullopt;
    }
    const int column = x / kEuroCellWidth;
    const int row = y / kEuroCellHeight;
    if (column >= kEuroColumns || row >= kEuroRows) {
        return std::nullopt;
    }
    const int code = column + kEuroColumns * row;
    if (code >= kEuroCodes) {
        return std::nullopt;
    }
    return code;
}

FrameRect EuroCellFrame(int code) {
    const int left = CellLeft(code);
    const int top = CellTop(code);
    return FrameRect{left + 1, top + 1, left + kEuroCellWidth - 1, top + kEuroCellHeight - 1};
}

void InvertDottedFrame(OneBitPicture& picture, const FrameRect& frame) {
    if (frame.right <= frame.left || frame.bottom <= frame.top) {
        return;
    }
    // Every pixel of the edge once, walking round the frame; every other one is inverted.
    std::vector<std::pair<int, int>> edge;
    for (int x = frame.left; x < frame.right; ++x) {
        edge.emplace_back(x, frame.top);
    }
    for (int y = frame.top + 1; y < frame.bottom; ++y) {
        edge.emplace_back(frame.right - 1, y);
    }
    for (int x = frame.right - 2; x >= frame.left && frame.bottom - 1 > frame.top; --x) {
        edge.emplace_back(x, frame.bottom - 1);
    }
    for (int y = frame.bottom - 2; y > frame.top && frame.right - 1 > frame.left; --y) {
        edge.emplace_back(frame.left, y);
    }
    for (std::size_t i = 0; i < edge.size(); i += 2) {
        const auto [x, y] = edge[i];
        picture.setBlack(x, y, !picture.black(x, y));
    }
}

void DrawUserCharRecord(OneBitPicture& picture, const UserCharRecord& record) {
    int code = kFirstUserCharCode;
    if (std::isxdigit(record[1]) != 0 && std::isxdigit(record[2]) != 0) {
        code = std::stoi(std::string{static_cast<char>(record[1]), static_cast<char>(record[2])},
                         nullptr, 16);
    }
    // Codes beyond the picture's cells have nowhere to go.
    if (code >= kEuroCodes) {
        return;
    }
    const int x0 = CellLeft(code) + kEuroGlyphLeft;
    const int y0 = CellTop(code) + 1;
    picture.fill(x0, y0, x0 + 15, y0 + kEuroCellHeight - 1, false);
    const auto size = UserCharSizeOfLetter(static_cast<char>(record[3]));
    if (!size) {
        return;
    }
    for (int r = 0; r < kUserCharRows; ++r) {
        const std::uint8_t bits = record[static_cast<std::size_t>(4 + r)];
        for (int i = 0; i < size->width; ++i) {
            if ((bits & (0x80 >> i)) != 0) {
                picture.setBlack(x0 + i, y0 + r, true);
            }
        }
    }
}

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = 8;
constexpr int kLargestSide = 8192;

void PutLittle(Bytes& out, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint32_t GetLittle(std::string_view bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[offset + i]))
                 << (8 * i);
    }
    return value;
}

std::size_t RowStride(int width) {
    return ((static_cast<std::size_t>(width) + 31) / 32) * 4;
}

} // namespace

Bytes EncodeOneBitBmp(const OneBitPicture& picture) {
    const std::size_t stride = RowStride(picture.width());
    const std::size_t dataOffset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize;
    const std::size_t dataSize = stride * static_cast<std::size_t>(picture.height());
    Bytes out;
    out.reserve(dataOffset + dataSize);
    out += "BM";
    PutLittle(out, static_cast<std::uint32_t>(dataOffset + dataSize), 4);
    PutLittle(out, 0, 4);
    PutLittle(out, static_cast<std::uint32_t>(dataOffset), 4);
    PutLittle(out, kInfoHeaderSize, 4);
    PutLittle(out, static_cast<std::uint32_t>(picture.width()), 4);
    PutLittle(out, static_cast<std::uint32_t>(picture.height()), 4);
    PutLittle(out, 1, 2);                                    // planes
    PutLittle(out, 1, 2);                                    // bits per pixel
    PutLittle(out, 0, 4);                                    // no compression
    PutLittle(out, static_cast<std::uint32_t>(dataSize), 4); // image size
    PutLittle(out, 3780, 4); // 96 dots per inch, as pixels per metre
    PutLittle(out, 3780, 4);
    PutLittle(out, 2, 4); // colours used
    PutLittle(out, 0, 4);
    PutLittle(out, 0x00000000, 4); // index 0: black
    PutLittle(out, 0x00FFFFFF, 4); // index 1: white
    for (int y = picture.height() - 1; y >= 0; --y) {
        Bytes row(stride, '\0');
        for (int x = 0; x < picture.width(); ++x) {
            if (!picture.black(x, y)) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
        out += row;
    }
    return out;
}

Result<OneBitPicture> DecodeOneBitBmp(std::string_view bytes) {
    const auto fail = [](const char* why) { return Error{std::string("Not a picture: ") + why}; };
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes.substr(0, 2) != "BM") {
        return fail("no bitmap header");
    }
    const std::uint32_t dataOffset = GetLittle(bytes, 10, 4);
    const std::uint32_t infoSize = GetLittle(bytes, 14, 4);
    const auto width = static_cast<std::int32_t>(GetLittle(bytes, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(GetLittle(bytes, 22, 4));
    const std::uint32_t bits = GetLittle(bytes, 28, 2);
    const std::uint32_t compression = GetLittle(bytes, 30, 4);
    const std::uint32_t coloursUsed = GetLittle(bytes, 46, 4);
    if (infoSize < kInfoHeaderSize || bits != 1 || compression != 0) {
        return fail("not an uncompressed bitmap with one bit per pixel");
    }
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
        return fail("its size is out of range");
    }
    const std::size_t paletteOffset = kFileHeaderSize + infoSize;
    const std::size_t colours = coloursUsed == 0 ? 2 : coloursUsed;
    if (colours > 2 || paletteOffset + 4 * colours > bytes.size()) {
        return fail("the colour table is damaged");
    }
    bool dark[2] = {true, false};
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t at = paletteOffset + 4 * i;
        const int brightness = static_cast<std::uint8_t>(bytes[at]) +
                               static_cast<std::uint8_t>(bytes[at + 1]) +
                               static_cast<std::uint8_t>(bytes[at + 2]);
        dark[i] = brightness < 3 * 128;
    }
    const std::size_t stride = RowStride(width);
    if (dataOffset > bytes.size() ||
        bytes.size() - dataOffset < stride * static_cast<std::size_t>(height)) {
        return fail("the file is cut short");
    }
    OneBitPicture picture(width, static_cast<int>(height));
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        const int y = topDown ? fileRow : static_cast<int>(height) - 1 - fileRow;
        const std::size_t rowStart = dataOffset + stride * static_cast<std::size_t>(fileRow);
        for (int x = 0; x < width; ++x) {
            const auto byte = static_cast<std::uint8_t>(bytes[rowStart + x / 8]);
            const int index = (byte >> (7 - x % 8)) & 1;
            picture.setBlack(x, y, dark[index]);
        }
    }
    return picture;
}

Status WriteOneBitBmp(const std::filesystem::path& path, const OneBitPicture& picture) {
    return WriteFileReplacing(path, EncodeOneBitBmp(picture));
}

Result<OneBitPicture> ReadOneBitBmp(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path, 16 * 1024 * 1024);
    if (!bytes) {
        return bytes.error();
    }
    Result<OneBitPicture> picture = DecodeOneBitBmp(*bytes);
    if (!picture) {
        return Error{path.string() + ": " + picture.error().message};
    }
    return picture;
}

FactoryEuroPicture LoadFactoryEuroPicture(const std::filesystem::path& factoryFile) {
    std::string problem;
    std::error_code error;
    if (!factoryFile.empty() && std::filesystem::exists(factoryFile, error)) {
        Result<Bytes> bytes = ReadWholeFile(factoryFile, 16 * 1024 * 1024);
        if (!bytes) {
            problem = bytes.error().message;
        } else if (Result<OneBitPicture> picture = DecodeOneBitBmp(*bytes); !picture) {
            problem = factoryFile.string() + ": " + picture.error().message;
        } else {
            return {std::move(picture).value(), std::move(bytes).value(), {}};
        }
    }
    OneBitPicture builtIn = BuiltInEuroPicture();
    Bytes file = EncodeOneBitBmp(builtIn);
    return {std::move(builtIn), std::move(file), std::move(problem)};
}

} // namespace lumivo
