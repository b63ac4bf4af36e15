#include "core/euro_picture.h"

#include "core/euro_glyphs.h"
#include "core/file_io.h"

#include <cctype>
#include <cstddef>
#include <map>
#include <string>
#include <utility>

namespace lumivo {

EuroPicture::EuroPicture(int width, int height, BmpForm form)
    : m_width(width), m_height(height), m_form(std::move(form)),
      m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kEuroWhite) {}

Rgb EuroPicture::colour(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return kEuroWhite;
    }
    return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                    static_cast<std::size_t>(x)];
}

void EuroPicture::setColour(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
             static_cast<std::size_t>(x)] = colour;
}

void EuroPicture::fill(int left, int top, int right, int bottom, bool black) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            setBlack(x, y, black);
        }
    }
}

namespace {

void DrawDots(EuroPicture& picture, int left, int top, const std::vector<std::string>& rows) {
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

EuroPicture BuiltInEuroPicture() {
    EuroPicture picture(kEuroPictureWidth, kEuroPictureHeight);
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

void InvertDottedFrame(EuroPicture& picture, const FrameRect& frame) {
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
        const Rgb was = picture.colour(x, y);
        picture.setColour(x, y,
                          Rgb{static_cast<std::uint8_t>(255 - was.r),
                              static_cast<std::uint8_t>(255 - was.g),
                              static_cast<std::uint8_t>(255 - was.b)});
    }
}

void DrawUserCharRecord(EuroPicture& picture, const UserCharRecord& record) {
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
constexpr std::size_t kCoreHeaderSize = 12; // the oldest header: 16-bit sizes, 3-byte colours
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRunLength8 = 1;
constexpr std::uint32_t kRunLength4 = 2;
constexpr std::uint32_t kBitFields = 3;

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

std::size_t RowStride(int width, int bitsPerPixel) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32) *
           4;
}

bool IsColourTableDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

// The colour table the picture is written with, and the depth that holds it: the form's own
// table, then each further colour of the picture in an unused entry.
struct WrittenForm {
    int bitsPerPixel = 24;
    std::vector<Rgb> palette;
    std::map<std::uint32_t, int> index; // colour (0xRRGGBB) -> first entry that holds it
};

std::uint32_t Key(Rgb colour) {
    return (std::uint32_t{colour.r} << 16) | (std::uint32_t{colour.g} << 8) | colour.b;
}

WrittenForm FormToWrite(const EuroPicture& picture) {
    WrittenForm written;
    const BmpForm& form = picture.form();
    written.bitsPerPixel = form.bitsPerPixel == 32 ? 32 : 24;
    if (!IsColourTableDepth(form.bitsPerPixel)) {
        return written;
    }
    const auto add = [&written](Rgb colour) {
        if (written.index.emplace(Key(colour), static_cast<int>(written.palette.size())).second) {
            written.palette.push_back(colour);
        }
    };
    const std::size_t entries = std::size_t{1} << form.bitsPerPixel;
    for (std::size_t i = 0; i < form.palette.size() && i < entries; ++i) {
        written.palette.push_back(form.palette[i]);
        written.index.emplace(Key(form.palette[i]), static_cast<int>(i));
    }
    for (int y = 0; y < picture.height() && written.palette.size() <= 256; ++y) {
        for (int x = 0; x < picture.width() && written.palette.size() <= 256; ++x) {
            add(picture.colour(x, y));
        }
    }
    if (written.palette.size() > 256) {
        return WrittenForm{};
    }
    written.bitsPerPixel = form.bitsPerPixel;
    while (written.palette.size() > (std::size_t{1} << written.bitsPerPixel)) {
        written.bitsPerPixel = written.bitsPerPixel == 1 ? 4 : 8;
    }
    return written;
}

void PutPixel(Bytes& row, const WrittenForm& form, int x, Rgb colour) {
    const auto at = static_cast<std::size_t>(x);
    switch (form.bitsPerPixel) {
    case 24:
    case 32: {
        const std::size_t bytesPerPixel = static_cast<std::size_t>(form.bitsPerPixel / 8);
        row[at * bytesPerPixel] = static_cast<char>(colour.b);
        row[at * bytesPerPixel + 1] = static_cast<char>(colour.g);
        row[at * bytesPerPixel + 2] = static_cast<char>(colour.r);
        return;
    }
    default: {
        const int index = form.index.at(Key(colour));
        const int perByte = 8 / form.bitsPerPixel;
        const int shift = 8 - form.bitsPerPixel * (x % perByte + 1);
        row[at / static_cast<std::size_t>(perByte)] |= static_cast<char>(index << shift);
        return;
    }
    }
}

// The colour table after the header (three bytes an entry after a core header, four after the
// others). False when it claims more colours than the depth holds or runs past the file's end.
bool ReadColourTable(std::string_view bytes, bool core, std::uint32_t infoSize, int bits,
                     std::vector<Rgb>& palette) {
    const std::uint32_t coloursUsed = core ? 0 : GetLittle(bytes, 46, 4);
    const std::size_t entries = std::size_t{1} << bits;
    const std::size_t colours = coloursUsed == 0 ? entries : coloursUsed;
    const std::size_t entrySize = core ? 3 : 4;
    const std::size_t tableOffset = kFileHeaderSize + infoSize;
    if (colours > entries || tableOffset + entrySize * colours > bytes.size()) {
        return false;
    }
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t at = tableOffset + entrySize * i;
        palette.push_back(Rgb{static_cast<std::uint8_t>(bytes[at + 2]),
                              static_cast<std::uint8_t>(bytes[at + 1]),
                              static_cast<std::uint8_t>(bytes[at])});
    }
    return true;
}

} // namespace

Result<BmpHeader> ReadBmpHeader(std::string_view bytes) {
    const auto fail = [](const char* why) { return Error{std::string("Not a picture: ") + why}; };
    if (bytes.size() < kFileHeaderSize + kCoreHeaderSize || bytes.substr(0, 2) != "BM") {
        return fail("no bitmap header");
    }
    const std::uint32_t dataOffset = GetLittle(bytes, 10, 4);
    const std::uint32_t infoSize = GetLittle(bytes, 14, 4);
    const bool core = infoSize == kCoreHeaderSize;
    if ((!core && infoSize < kInfoHeaderSize) || bytes.size() < kFileHeaderSize + infoSize) {
        return fail("the bitmap header is damaged");
    }
    BmpHeader header;
    std::int64_t rawHeight = 0;
    if (core) {
        header.width = static_cast<std::int16_t>(GetLittle(bytes, 18, 2));
        rawHeight = static_cast<std::int16_t>(GetLittle(bytes, 20, 2));
        header.bitsPerPixel = static_cast<int>(GetLittle(bytes, 24, 2));
    } else {
        header.width = static_cast<std::int32_t>(GetLittle(bytes, 18, 4));
        rawHeight = static_cast<std::int32_t>(GetLittle(bytes, 22, 4));
        header.bitsPerPixel = static_cast<int>(GetLittle(bytes, 28, 2));
        header.compression = GetLittle(bytes, 30, 4);
    }
    header.topDown = rawHeight < 0;
    const std::int64_t height = header.topDown ? -rawHeight : rawHeight;
    if (header.width <= 0 || height <= 0 || header.width > kLargestEuroPictureSide ||
        height > kLargestEuroPictureSide) {
        return fail("its size is out of range");
    }
    header.height = static_cast<int>(height);
    const int bits = header.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return fail("its number of bits per pixel is not 1, 4, 8, 16, 24 or 32");
    }
    const bool runLength = (header.compression == kRunLength8 && bits == 8) ||
                           (header.compression == kRunLength4 && bits == 4);
    const bool bitFields = header.compression == kBitFields && (bits == 16 || bits == 32);
    if (header.compression != kUncompressed && !runLength && !bitFields) {
        return fail("its pixels are stored in a way this program does not read");
    }
    if (IsColourTableDepth(bits) && !ReadColourTable(bytes, core, infoSize, bits, header.palette)) {
        return fail("the colour table is damaged");
    }
    if (dataOffset > bytes.size()) {
        return fail("its pixels start beyond the end of the file");
    }
    if (!runLength && bytes.size() - dataOffset <
                          RowStride(header.width, bits) * static_cast<std::size_t>(header.height)) {
        return fail("the file is cut short");
    }
    return header;
}

BmpForm SavedFormOf(const BmpHeader& header) {
    if (IsColourTableDepth(header.bitsPerPixel)) {
        return BmpForm{header.bitsPerPixel, header.palette};
    }
    return BmpForm{header.bitsPerPixel == 32 ? 32 : 24, {}};
}

Bytes EncodeEuroBmp(const EuroPicture& picture) {
    const WrittenForm form = FormToWrite(picture);
    const std::size_t stride = RowStride(picture.width(), form.bitsPerPixel);
    const std::size_t dataOffset = kFileHeaderSize + kInfoHeaderSize + 4 * form.palette.size();
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
    PutLittle(out, 1, 2); // planes
    PutLittle(out, static_cast<std::uint32_t>(form.bitsPerPixel), 2);
    PutLittle(out, kUncompressed, 4);
    PutLittle(out, static_cast<std::uint32_t>(dataSize), 4); // image size
    PutLittle(out, 3780, 4); // 96 dots per inch, as pixels per metre
    PutLittle(out, 3780, 4);
    PutLittle(out, static_cast<std::uint32_t>(form.palette.size()), 4); // colours used
    PutLittle(out, 0, 4);
    for (const Rgb& colour : form.palette) {
        PutLittle(out, Key(colour), 4);
    }
    for (int y = picture.height() - 1; y >= 0; --y) {
        Bytes row(stride, '\0');
        for (int x = 0; x < picture.width(); ++x) {
            PutPixel(row, form, x, picture.colour(x, y));
        }
        out += row;
    }
    return out;
}

Status WriteEuroBmp(const std::filesystem::path& path, const EuroPicture& picture) {
    return WriteFileReplacing(path, EncodeEuroBmp(picture));
}

} // namespace lumivo
