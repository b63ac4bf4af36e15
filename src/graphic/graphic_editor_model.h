#pragma once

#include "core/graphic.h"
#include "core/result.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::graphic {

// The editor's sizes: the entries of the height list, the width list and the zoom list.
inline constexpr std::array<int, 2> kHeights = {7, 8};
inline constexpr std::array<int, 5> kWidths = {32, 64, 96, 120, 128};
inline constexpr int kZoomEntries = 8; // "1".."8"
inline constexpr int kZoomOfFirstEntry = 3;
inline constexpr int kToolCount = 12;
// Open from the list and Delete's success clear this area of the store, the largest graphic a
// sign takes (128 columns, two lines of 8 rows).
inline constexpr int kClearedColumns = 128;
inline constexpr int kClearedRows = 16;

// Index of a row count or width in its list; nullopt for a value the list does not offer.
std::optional<int> HeightIndexOf(int rows);
std::optional<int> WidthIndexOf(int width);

// The state of the graphic editor without its window: size, zoom, colour, tool, the pixel store
// with the floating store, and the graphic list.
class GraphicEditorModel {
public:
    int width() const { return kWidths[m_widthIndex]; }
    int height() const { return kHeights[m_heightIndex]; }
    int widthIndex() const { return m_widthIndex; }
    int heightIndex() const { return m_heightIndex; }
    // Indices outside the lists are ignored.
    void setWidthIndex(int index);
    void setHeightIndex(int index);

    // Zoom entry 0..7 ("1".."8"); the zoom is the entry plus 3 screen pixels per cell.
    int zoomIndex() const { return m_zoomIndex; }
    int zoom() const { return m_zoomIndex + kZoomOfFirstEntry; }
    // Clamped to the list; returns whether the entry changed.
    bool setZoomIndex(int index);

    char colour() const { return m_colour; }
    void setColour(char letter) { m_colour = letter; }
    int tool() const { return m_tool; }
    // 1..12; other numbers are ignored.
    void setTool(int number);

    PixelStore& store() { return m_store; }
    const PixelStore& store() const { return m_store; }
    PixelStore& floating() { return m_floating; }
    const PixelStore& floating() const { return m_floating; }

    // Open graphic: reads `name` from `folder`; a file core refuses changes nothing and the error
    // names the graphic and says what is wrong with it. Any row count the store holds opens. On
    // success the rows are copied into the store (cells outside them keep their content) and the
    // height and width follow the file when the lists offer its values.
    Status open(const std::filesystem::path& folder, const std::string& name);

    // The rows the graphic saves: the store's area of the current size.
    std::vector<std::string> rows() const { return m_store.rows(width(), height()); }

    // Clear: every cell of the 160 x 160 store becomes "@"; the floating store stays.
    void clear() { m_store.clear(PixelStore::kSize, PixelStore::kSize); }

    // The graphic list, in folder order with names saved later appended.
    const std::vector<std::string>& names() const { return m_names; }
    void setNames(std::vector<std::string> names) { m_names = std::move(names); }
    // Appends a name not yet listed; returns its index.
    int addName(const std::string& name);
    void removeName(const std::string& name);

private:
    int m_widthIndex = 0;
    int m_heightIndex = 0;
    int m_zoomIndex = 0;
    char m_colour = kPixelRed;
    int m_tool = 1;
    PixelStore m_store;
    PixelStore m_floating;
    std::vector<std::string> m_names;
};

// The picture tag of a graphic: "<Pic:" + name + ">".
std::string PictureTag(std::string_view name);

// The names of the picture tags of a line, in order: the text after each "<Pic:" up to the next
// ">" (empty when no ">" follows); the search goes on right after each "<Pic:" found.
std::vector<std::string> PictureTagNames(std::string_view line);

enum class InsertDecision {
    Insert,
    TooManyGraphics, // "Graphic Number greater than 16"
    TooTallForLine2, // "Graphic is too large to insert into Line2"
};

// Whether the graphic `name` of `rowCount` rows may go into the current editor: a name already
// on the page (either line) never counts again; otherwise the different non-empty names of both
// lines plus this one must not exceed sixteen. A graphic of more than 8 rows goes only into
// Line 1.
InsertDecision DecideInsertion(std::string_view name, int rowCount, std::string_view line1,
                               std::string_view line2, bool currentIsLine2);

// The message Save shows when it cannot create the graphics folder: "Cannot create", the folder
// that should hold it (ending in its separator), "Graphdata" and "Dirtrory", joined.
std::string FolderCreationMessage(const std::filesystem::path& graphicsFolder);

} // namespace lumivo::graphic
