#include "core/graphic.h"

#include "core/file_io.h"
#include "core/frame.h"

#include <cstdio>

namespace lumivo {

namespace fs = std::filesystem;

std::string GraphicName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "G%2.2d", number);
    return name;
}

std::optional<int> GraphicNumberOfName(std::string_view name) {
    for (int i = 1; i <= kGraphicCount; ++i) {
        if (name == GraphicName(i)) {
            return i;
        }
    }
    return std::nullopt;
}

char GraphicLetter(int number) {
    return static_cast<char>(0x40 + number);
}

bool IsSafeGraphicName(std::string_view name) {
    if (name.empty() || name.size() > 64) {
        return false;
    }
    for (char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> SplitGraphicLines(std::string_view content) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false; // a line has started (possibly empty) since the last line end
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) {
        lines.push_back(std::move(current));
    }
    return lines;
}

Status CheckGraphicShape(const Graphic& graphic, std::string_view what) {
    const std::string name(what);
    const int rows = graphic.height();
    if (rows == 0 || graphic.width() == 0) {
        return Error{"Graphic " + name + " is empty: its first row has no dots"};
    }
    if (rows > PixelStore::kSize || graphic.width() > PixelStore::kSize) {
        return Error{"Graphic " + name + " is too large: " + std::to_string(graphic.width()) +
                     " x " + std::to_string(rows) + " dots (at most 160 x 160)"};
    }
    for (int y = 1; y < rows; ++y) {
        const std::size_t length = graphic.rows[static_cast<std::size_t>(y)].size();
        if (length != graphic.rows.front().size()) {
            return Error{"Graphic " + name + " has rows of unequal length: row " +
                         std::to_string(y + 1) + " has " + std::to_string(length) +
                         " dots, the first row has " + std::to_string(graphic.width())};
        }
    }
    return Ok{};
}

Status CheckGraphicForSign(const Graphic& graphic, std::string_view what) {
    if (Status shape = CheckGraphicShape(graphic, what); !shape) {
        return shape;
    }
    const std::string name(what);
    const int rows = graphic.height();
    if (rows < 7) {
        return Error{"Graphic " + name + " has " + std::to_string(rows) +
                     " rows, too few for the sign: it takes 7 or 8 rows, or 16 across both lines"};
    }
    if (rows > kBlockHeight && rows != kTallGraphicRows) {
        return Error{"Graphic " + name + " has " + std::to_string(rows) +
                     " rows; the sign takes 7 or 8 rows, or 16 across both lines"};
    }
    if (graphic.width() > kMaxSignGraphicWidth) {
        return Error{"Graphic " + name + " is " + std::to_string(graphic.width()) +
                     " dots wide; the sign takes at most 128"};
    }
    return Ok{};
}

Result<Graphic> ParseGraphic(std::string_view content, std::string_view what) {
    Graphic graphic{SplitGraphicLines(content)};
    if (Status shape = CheckGraphicShape(graphic, what); !shape) {
        return shape.error();
    }
    return graphic;
}

namespace {

// A graphic file is at most 160 lines of 160 letters; anything much larger is not one.
constexpr std::size_t kMaxGraphicFileBytes = 1024 * 1024;

} // namespace

Result<Graphic> ReadGraphicFile(const fs::path& path) {
    return ReadGraphicFile(path, path.string());
}

Result<Graphic> ReadGraphicFile(const fs::path& path, std::string_view what) {
    Result<Bytes> content = ReadWholeFile(path, kMaxGraphicFileBytes);
    if (!content) {
        return content.error();
    }
    return ParseGraphic(*content, what);
}

namespace {

// True when `file` lies below `folder`; both must be canonical.
bool IsInsideFolder(const fs::path& file, const fs::path& folder) {
    auto f = file.begin();
    for (const fs::path& part : folder) {
        if (part.empty()) {
            continue; // a trailing separator
        }
        if (f == file.end() || *f != part) {
            return false;
        }
        ++f;
    }
    return f != file.end();
}

// Where the path leads once every link is followed, also a last link to nothing (which
// weakly_canonical alone would leave where it stands). Empty when it cannot be told.
fs::path WhereLinksLead(fs::path path) {
    constexpr int kMaxLinks = 40;
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec || hops == kMaxLinks) {
            return {};
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? fs::path() : real;
}

} // namespace

Result<Graphic> ReadGraphicInFolder(const fs::path& folder, std::string_view name) {
    const fs::path path = GraphicPath(folder, name);
    std::error_code folderError;
    const fs::path realFolder = fs::weakly_canonical(folder, folderError);
    const fs::path realFile = WhereLinksLead(path);
    const std::string cannotRead = "Graphic " + std::string(name) + " cannot be read: ";
    if (folderError || realFile.empty() || !IsInsideFolder(realFile, realFolder)) {
        return Error{cannotRead + "not a file inside the graphics folder"};
    }
    Result<Bytes> content = ReadWholeFile(path, kMaxGraphicFileBytes);
    if (!content) {
        return Error{cannotRead + content.error().message};
    }
    return ParseGraphic(*content, name);
}

Status WriteGraphicFile(const fs::path& path, const std::vector<std::string>& rows) {
    std::string content;
    for (const std::string& row : rows) {
        content += row;
        content += "\r\n";
    }
    return WriteFileReplacing(path, content);
}

fs::path GraphicPath(const fs::path& folder, std::string_view name) {
    return folder / (std::string(name) + ".txt");
}

std::vector<std::string> ListGraphics(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return names;
    }
    for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) {
            continue;
        }
        const std::string file = entry.path().filename().string();
        if (file.size() < 4 || file.compare(file.size() - 4, 4, ".txt") != 0) {
            continue;
        }
        const std::string base = file.substr(0, file.size() - 4);
        if (GraphicNumberOfName(base)) {
            names.push_back(base);
        }
    }
    return names;
}

int BlockCount(int width) {
    return (width + kBlockWidth - 1) / kBlockWidth;
}

std::vector<int> BlockOrder(const Graphic& graphic) {
    const int blocks = BlockCount(graphic.width());
    std::vector<int> order;
    for (int n = 1; n <= blocks; ++n) {
        order.push_back(n);
    }
    if (graphic.height() > kBlockHeight) {
        for (int n = 5; n <= 4 + blocks; ++n) {
            order.push_back(n);
        }
    }
    return order;
}

std::string BlockTags(int graphicNumber, int width) {
    const char letter = GraphicLetter(graphicNumber);
    std::string tags;
    for (int b = 1; b <= BlockCount(width); ++b) {
        tags += "<G";
        tags += letter;
        tags += std::to_string(b);
        tags += '>';
    }
    return tags;
}

namespace {

std::uint8_t PixelBits(char letter) {
    switch (letter) {
    case kPixelRed:
        return 2;
    case kPixelGreen:
        return 1;
    case kPixelYellow:
        return 3;
    default:
        return 0;
    }
}

} // namespace

std::array<std::uint8_t, 2> PackPixels(std::string_view eightLetters) {
    std::array<std::uint8_t, 2> bytes{};
    for (std::size_t k = 0; k < 8; ++k) {
        const char letter = k < eightLetters.size() ? eightLetters[k] : kPixelOff;
        bytes[k / 4] |= static_cast<std::uint8_t>(PixelBits(letter) << (6 - 2 * (k % 4)));
    }
    return bytes;
}

Bytes GraphicBlockPayload(char letter, int blockNumber, const std::vector<std::string>& rows,
                          int rowCount) {
    Bytes payload = "<G";
    payload += letter;
    payload += std::to_string(blockNumber);
    payload += '>';
    const int m = blockNumber <= 4 ? blockNumber - 1 : blockNumber;
    const int firstRow = (m / 5) * kBlockHeight;
    const int firstColumn = (m % 5) * kBlockWidth; // 0-based
    static const std::string kUnlit(8, kPixelOff);
    for (int g = 0; g < 4; ++g) {
        for (int j = 0; j < kBlockHeight; ++j) {
            std::string_view eight = kUnlit;
            const int row = firstRow + j;
            const bool missingEighthRow = rowCount <= 7 && j == 7;
            if (!missingEighthRow && row < static_cast<int>(rows.size())) {
                const std::string& text = rows[static_cast<std::size_t>(row)];
                const std::size_t column = static_cast<std::size_t>(firstColumn + 8 * g);
                if (column < text.size()) {
                    eight = std::string_view(text).substr(column, 8);
                }
            }
            const auto packed = PackPixels(eight);
            payload += static_cast<char>(packed[0]);
            payload += static_cast<char>(packed[1]);
        }
    }
    return payload;
}

Bytes BuildGraphicBlock(char letter, int blockNumber, std::string_view signIdText,
                        const std::vector<std::string>& rows, int rowCount) {
    return BuildFrame(GraphicBlockPayload(letter, blockNumber, rows, rowCount), signIdText);
}

std::vector<std::string> PadRowsToBlocks(const Graphic& graphic) {
    const std::size_t paddedWidth = static_cast<std::size_t>(BlockCount(graphic.width())) *
                                    static_cast<std::size_t>(kBlockWidth);
    std::vector<std::string> rows = graphic.rows;
    for (std::string& row : rows) {
        if (row.size() < paddedWidth) {
            row.append(paddedWidth - row.size(), kPixelOff);
        }
    }
    return rows;
}

std::vector<Bytes> GraphicBlockFrames(char letter, const Graphic& graphic,
                                      std::string_view signIdText) {
    const std::vector<std::string> rows = PadRowsToBlocks(graphic);
    std::vector<Bytes> frames;
    for (int n : BlockOrder(graphic)) {
        frames.push_back(BuildGraphicBlock(letter, n, signIdText, rows, graphic.height()));
    }
    return frames;
}

PixelStore::PixelStore() {
    m_cells.fill(kPixelOff);
}

void PixelStore::load(const Graphic& graphic) {
    const int width = graphic.width();
    for (int y = 0; y < graphic.height() && y < kSize; ++y) {
        const std::string& row = graphic.rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width && x < kSize && x < static_cast<int>(row.size()); ++x) {
            set(x, y, row[static_cast<std::size_t>(x)]);
        }
    }
}

std::vector<std::string> PixelStore::rows(int width, int height) const {
    std::vector<std::string> out;
    for (int y = 0; y < height && y < kSize; ++y) {
        std::string row;
        for (int x = 0; x < width && x < kSize; ++x) {
            row += at(x, y);
        }
        out.push_back(std::move(row));
    }
    return out;
}

void PixelStore::clear(int columns, int rowCount) {
    for (int x = 0; x < columns && x < kSize; ++x) {
        for (int y = 0; y < rowCount && y < kSize; ++y) {
            set(x, y, kPixelOff);
        }
    }
}

Rgb ScreenColourOfLetter(char letter) {
    switch (letter) {
    case kPixelRed:
        return {255, 0, 0};
    case kPixelGreen:
        return {0, 255, 0};
    case kPixelYellow:
        return {255, 255, 0};
    default:
        return {128, 128, 128};
    }
}

char PixelLetterFromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if ((r == 255 && g == b && g <= 224) || (r >= 240 && g <= 176) ||
        (r >= 192 && g <= 160 && b <= 160) || (r >= 80 && g <= 48 && b <= 48)) {
        return kPixelRed;
    }
    if ((g == 255 && r == b && r <= 224) || (g >= 240 && r <= 176) ||
        (g >= 176 && r <= 160 && b <= 160) || (g >= 80 && r <= 64 && b <= 64)) {
        return kPixelGreen;
    }
    if (r == 255 && g == 255 && b <= 128) {
        return kPixelYellow;
    }
    return kPixelOff;
}

char NearestPixelLetter(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    struct Candidate {
        Rgb colour;
        char letter;
    };
    static constexpr Candidate kCandidates[] = {
        {{0, 0, 0}, kPixelOff},   {{128, 128, 128}, kPixelOff}, {{255, 255, 255}, kPixelOff},
        {{255, 0, 0}, kPixelRed}, {{0, 255, 0}, kPixelGreen},   {{255, 255, 0}, kPixelYellow},
    };
    const auto distance = [&](const Rgb& c) {
        const int dr = int{r} - c.r;
        const int dg = int{g} - c.g;
        const int db = int{b} - c.b;
        return dr * dr + dg * dg + db * db;
    };
    const Candidate* best = &kCandidates[0];
    for (const Candidate& candidate : kCandidates) {
        if (distance(candidate.colour) < distance(best->colour)) {
            best = &candidate;
        }
    }
    return best->letter;
}

} // namespace lumivo
