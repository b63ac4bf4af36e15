#pragma once

#include "core/bytes.h"
#include "core/userfont.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::userfont {

// One character of the font maker's list: its text ("U41-5x7") and its record.
struct FontEntry {
    int id = 0; // stays with the entry while the list is re-sorted
    std::string text;
    UserCharRecord record{};
};

struct GridCell {
    int column = 0;
    int row = 0;
    bool operator==(const GridCell&) const = default;
};

// The font maker without its window: the character list sorted by text, the chosen entry, and
// the drawing grid (width x 7 cells of 15 pixels, centred in the 257 x 201 drawing area) whose
// cells are the editing state. A release on the drawing area stores the grid into the chosen
// entry's record, so the record always mirrors what is shown.
class FontMakerModel {
public:
    static constexpr int kAreaWidth = 257;
    static constexpr int kAreaHeight = 201;
    static constexpr int kScale = 15;

    const std::vector<FontEntry>& entries() const { return m_entries; }
    // Every record in list order, as the font file and the transfer take them.
    std::vector<UserCharRecord> records() const;

    // "Add Char To Draw": false when an entry of that code and size exists. The new entry has a
    // blank record and is not chosen.
    bool add(int code, std::string_view sizeText);

    // Chooses the entry at `index` of the list: the grid takes its size (from the text after
    // "Uhh-") and its cells from the record. An entry without a size (a cleared record read from
    // a file) shows no grid.
    void choose(int index);
    // The list position of the chosen entry; nullopt when none is.
    std::optional<int> chosenIndex() const;

    int gridWidth() const { return m_width; }
    int gridHeight() const { return m_height; }
    int gridLeft() const { return (kAreaWidth - m_width * kScale) / 2; }
    int gridTop() const { return (kAreaHeight - m_height * kScale) / 2; }
    bool cellOn(int column, int row) const;

    // A press at (x, y) of the drawing area toggles the cell under it; a move with the button held
    // toggles the cell it enters, once until another is entered. Both give the cell toggled.
    std::optional<GridCell> press(int x, int y);
    std::optional<GridCell> drag(int x, int y);
    // The end of a press on the drawing area: the chosen entry's record becomes the grid.
    void release();

    // "NO": the chosen entry's record becomes all zero and its grid empty.
    void clearChosen();
    // "Delete Char" confirmed: the chosen entry leaves the list and the grid goes.
    void removeChosen();

    // "Open Font...": the list becomes the records, each entry's text made from its record.
    void replaceWith(const std::vector<UserCharRecord>& records);

private:
    void insertSorted(FontEntry entry);
    FontEntry* chosen();
    void toggle(const GridCell& cell);
    void clearGrid();

    std::vector<FontEntry> m_entries;
    int m_nextId = 1;
    std::optional<int> m_chosenId;
    int m_width = 0;
    int m_height = 0;
    std::array<std::array<bool, 16>, kUserCharRows> m_cells{};
    std::optional<GridCell> m_lastToggled;
};

} // namespace lumivo::userfont
