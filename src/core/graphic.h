#pragma once

#include "core/bytes.h"
#include "core/result.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// Pixel letters: one per dot of a graphic.
inline constexpr char kPixelOff = '@';
inline constexpr char kPixelRed = 'A';
inline constexpr char kPixelGreen = 'D';
inline constexpr char kPixelYellow = 'E';

inline constexpr int kGraphicCount = 16;         // G01..G16
inline constexpr int kMaxSignGraphicWidth = 128; // four blocks across
inline constexpr int kBlockWidth = 32;
inline constexpr int kBlockHeight = 8;
inline constexpr int kTallGraphicRows = 16;
inline constexpr std::string_view kGraphicFolderName = "Graphdata";

// "G01".."G16" for 1..16 (format G%2.2d).
std::string GraphicName(int number);

// Number 1..16 when the name is exactly one of G01..G16.
std::optional<int> GraphicNumberOfName(std::string_view name);

// "A" for G01 .. "P" for G16: the character 0x40 + number.
char GraphicLetter(int number);

// A name that may safely become a file name inside the graphics folder: letters and digits only.
bool IsSafeGraphicName(std::string_view name);

// Rows of pixel letters, top row first, as read from a graphic file.
struct Graphic {
    std::vector<std::string> rows;

    int height() const { return static_cast<int>(rows.size()); }
    int width() const { return rows.empty() ? 0 : static_cast<int>(rows.front().size()); }
    bool isTall() const { return height() > kBlockHeight; }
};

// Splits file content into lines at CR LF, lone LF or lone CR; a last line without an end
// still counts.
std::vector<std::string> SplitGraphicLines(std::string_view content);

// Checks rows for the pixel store: at least one dot, every row as long as the first, at most
// 160 x 160. Any row count the store holds is accepted: a graphic of 9 to 15 rows opens in the
// editor and goes into Line 1, and only the sign refuses it. `what` names the graphic in the
// message, which says what is wrong.
Status CheckGraphicShape(const Graphic& graphic, std::string_view what);

// Checks that a graphic can be cut into the sign's blocks: the store's rules, 7, 8 or 16 rows
// and a width of at most 128 dots. The message names the graphic and its row count or width.
Status CheckGraphicForSign(const Graphic& graphic, std::string_view what);

// Parses file content; refuses content whose shape does not pass CheckGraphicShape.
Result<Graphic> ParseGraphic(std::string_view content, std::string_view what);

// Reads and parses one graphic file; `what` names it in a shape error (the path by default).
Result<Graphic> ReadGraphicFile(const std::filesystem::path& path);
Result<Graphic> ReadGraphicFile(const std::filesystem::path& path, std::string_view what);

// Reads graphic `name` of the graphics folder. Only a file that, links followed, lies inside the
// folder is read: one that leads elsewhere is refused as "Graphic <name> cannot be read: not a
// file inside the graphics folder", the same whatever it leads to, so the message names only the
// graphic and tells nothing of that file. A file that cannot be read gives "Graphic <name> cannot
// be read: " and the reason; a file of the wrong shape the message of CheckGraphicShape.
Result<Graphic> ReadGraphicInFolder(const std::filesystem::path& folder, std::string_view name);

// Writes the rows, each followed by CR LF, through a temporary file renamed over the old one.
Status WriteGraphicFile(const std::filesystem::path& path, const std::vector<std::string>& rows);

// Path of a graphic inside a graphics folder: folder / (name + ".txt").
std::filesystem::path GraphicPath(const std::filesystem::path& folder, std::string_view name);

// Graphic names found in the folder, in the folder's own order: only regular files named exactly
// G01.txt .. G16.txt. A missing folder gives an empty list.
std::vector<std::string> ListGraphics(const std::filesystem::path& folder);

// Blocks: 32 columns by 8 rows.
int BlockCount(int width);

// Block numbers in the order the sign receives them: 1..n, then 5..4+n for tall graphics.
std::vector<int> BlockOrder(const Graphic& graphic);

// "<G" + letter + n + ">" for the upper blocks 1..BlockCount(width), joined.
std::string BlockTags(int graphicNumber, int width);

// Two pixel bytes of eight pixel letters; the first pixel in the two highest bits.
std::array<std::uint8_t, 2> PackPixels(std::string_view eightLetters);

// "<G" + letter + n + ">" + 64 pixel bytes. Rows must already be padded to a whole number of
// blocks; a graphic of 7 rows or less gets an unlit eighth row.
Bytes GraphicBlockPayload(char letter, int blockNumber, const std::vector<std::string>& rows,
                          int rowCount);

// The framed block: "<ID" + sign ID + ">" + block payload + checksum + "<E>".
Bytes BuildGraphicBlock(char letter, int blockNumber, std::string_view signIdText,
                        const std::vector<std::string>& rows, int rowCount);

// Rows lengthened on the right with unlit dots to a whole number of blocks.
std::vector<std::string> PadRowsToBlocks(const Graphic& graphic);

// Every framed block of a graphic, in the order of BlockOrder. The graphic must pass
// CheckGraphicForSign.
std::vector<Bytes> GraphicBlockFrames(char letter, const Graphic& graphic,
                                      std::string_view signIdText);

// The graphic being edited: 160 x 160 pixel letters held column by column; all "@" at start.
class PixelStore {
public:
    static constexpr int kSize = 160;

    PixelStore();

    char at(int x, int y) const { return m_cells[index(x, y)]; }
    void set(int x, int y, char letter) { m_cells[index(x, y)] = letter; }

    // Copies the graphic's rows in; cells outside its rows and columns keep their content.
    // The graphic must have passed CheckGraphicShape.
    void load(const Graphic& graphic);

    // Rows of the area 0..width-1 x 0..height-1, top row first.
    std::vector<std::string> rows(int width, int height) const;

    // Sets cells of columns 0..columns-1 and rows 0..rowCount-1 to "@".
    void clear(int columns, int rowCount);

    bool operator==(const PixelStore&) const = default;

private:
    static int index(int x, int y) { return x * kSize + y; }
    std::array<char, kSize * kSize> m_cells;
};

// Screen colour of a pixel letter: grey for "@" and any unknown letter.
struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};
Rgb ScreenColourOfLetter(char letter);

// The image conversion rule: the pixel letter for a colour of an imported picture.
char PixelLetterFromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// The nearest dot colour: the letter whose colour lies nearest (straight-line distance in red,
// green and blue) to the given one, where off stands for black, the export grey 128, 128, 128
// and white alike (a sign shows none of them lit), red for 255, 0, 0, green for 0, 255, 0 and
// yellow for 255, 255, 0. An equal distance goes to the first of off, red, green, yellow. Soft
// edges and photos import as their nearest dot colours instead of mostly off.
char NearestPixelLetter(std::uint8_t r, std::uint8_t g, std::uint8_t b);

} // namespace lumivo
