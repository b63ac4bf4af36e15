#pragma once

#include "core/bytes.h"
#include "core/graphic.h"
#include "core/result.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumivo {

// Where the compiler and the senders find graphics by name.
class GraphicSource {
public:
    virtual ~GraphicSource() = default;
    // The graphic of that name, checked to be cut into the sign's blocks; an error names it.
    virtual Result<Graphic> load(std::string_view name) const = 0;
};

// Reads graphic files from a graphics folder ("Graphdata"). Names that are not made only of
// letters and digits never reach the file system: they cannot be read.
class FolderGraphicSource final : public GraphicSource {
public:
    explicit FolderGraphicSource(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    Result<Graphic> load(std::string_view name) const override;
    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

// What one compilation of a line found.
struct Compilation {
    Bytes compiledLine;
    std::string leadingEffect; // sign code of the first effect tag, or empty
    std::string closingEffect; // sign code of the second effect tag, or empty
    std::string displayEffect; // first display effect code, or empty
    std::string displayTime;   // first display time code, or empty
    std::string speed;         // digit of the last speed tag, or empty
    // Entry i is set when the line names graphic file G01+i exactly.
    std::array<bool, kGraphicCount> usedGraphics{};
};

// Scans the line once: replaces inline, column and picture tags, takes the page-wide tags out.
// Fails only when a picture tag names a graphic that cannot be read.
Result<Compilation> CompileLine(std::string_view line, const GraphicSource& graphics);

struct Page {
    Bytes stream; // the framed page, ready for the port
    Compilation compilation;
};

// Compiles the line and frames it as one page: "<ID" + sign ID + ">" + "<L" + (lineNumber + 1)
// + ">" + "<P" + page + ">" + header + line + checksum + "<E>".
Result<Page> BuildPage(std::string_view line, int lineNumber, char pageLetter,
                       std::string_view signIdText, const GraphicSource& graphics);

// What a send writes: the page stream, then every block frame of the graphics the page uses
// (G01 to G16 in order, each graphic's blocks in sending order). Fails, naming the graphic, when
// one cannot be read or cut into blocks, so a sender can refuse before any byte goes out.
struct Transfer {
    Bytes pageStream;
    std::vector<Bytes> blockFrames;
    std::vector<int> blockGraphics; // the graphic number (1..16) of each block frame
};
Result<Transfer> BuildTransfer(std::string_view line, char pageLetter, std::string_view signIdText,
                               const GraphicSource& graphics);

} // namespace lumivo
