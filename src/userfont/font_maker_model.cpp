#include "userfont/font_maker_model.h"

#include <algorithm>

namespace lumivo::userfont {

std::vector<UserCharRecord> FontMakerModel::records() const {
    std::vector<UserCharRecord> result;
    result.reserve(m_entries.size());
    for (const FontEntry& entry : m_entries) {
        result.push_back(entry.record);
    }
    return result;
}

void FontMakerModel::insertSorted(FontEntry entry) {
    // After any entries of the same text, so a file's order is kept among equals.
    const auto at = std::upper_bound(
        m_entries.begin(), m_entries.end(), entry.text,
        [](const std::string& text, const FontEntry& other) { return text < other.text; });
    m_entries.insert(at, std::move(entry));
}

bool FontMakerModel::add(int code, std::string_view sizeText) {
    const std::string text = UserCharCodeText(code) + "-" + std::string(sizeText);
    const bool exists = std::any_of(m_entries.begin(), m_entries.end(),
                                    [&](const FontEntry& entry) { return entry.text == text; });
    if (exists) {
        return false;
    }
    insertSorted(FontEntry{m_nextId++, text, UserCharRecord{}});
    return true;
}

FontEntry* FontMakerModel::chosen() {
    if (!m_chosenId) {
        return nullptr;
    }
    const auto it =
        std::find_if(m_entries.begin(), m_entries.end(),
                     [this](const FontEntry& entry) { return entry.id == *m_chosenId; });
    return it == m_entries.end() ? nullptr : &*it;
}

std::optional<int> FontMakerModel::chosenIndex() const {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_chosenId && m_entries[i].id == *m_chosenId) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

void FontMakerModel::clearGrid() {
    m_cells = {};
    m_lastToggled.reset();
}

void FontMakerModel::choose(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return;
    }
    const FontEntry& entry = m_entries[static_cast<std::size_t>(index)];
    m_chosenId = entry.id;
    clearGrid();
    const std::string_view text = entry.text;
    const auto size = text.size() > 4 ? UserCharSizeOfText(text.substr(4)) : std::nullopt;
    m_width = size ? size->width : 0;
    m_height = size ? kUserCharRows : 0;
    for (int r = 0; r < m_height; ++r) {
        const std::uint8_t bits = entry.record[static_cast<std::size_t>(4 + r)];
        for (int i = 0; i < m_width; ++i) {
            m_cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(i)] =
                (bits & (0x80 >> i)) != 0;
        }
    }
}

bool FontMakerModel::cellOn(int column, int row) const {
    if (column < 0 || row < 0 || column >= m_width || row >= m_height) {
        return false;
    }
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void FontMakerModel::toggle(const GridCell& cell) {
    bool& on = m_cells[static_cast<std::size_t>(cell.row)][static_cast<std::size_t>(cell.column)];
    on = !on;
    m_lastToggled = cell;
}

std::optional<GridCell> FontMakerModel::press(int x, int y) {
    const int left = gridLeft();
    const int top = gridTop();
    // The last two pixels of the grid's far edges do not count for a press.
    if (x < left || x >= left + m_width * kScale - 2 || y < top ||
        y >= top + m_height * kScale - 2) {
        return std::nullopt;
    }
    const GridCell cell{(x - left) / kScale, (y - top) / kScale};
    toggle(cell);
    return cell;
}

std::optional<GridCell> FontMakerModel::drag(int x, int y) {
    const int left = gridLeft();
    const int top = gridTop();
    if (m_width == 0 || x < left || x > left + m_width * kScale - 2 || y < top ||
        y > top + m_height * kScale - 2) {
        return std::nullopt;
    }
    const GridCell cell{(x - left) / kScale, (y - top) / kScale};
    if (m_lastToggled == cell) {
        return std::nullopt;
    }
    toggle(cell);
    return cell;
}

void FontMakerModel::release() {
    FontEntry* entry = chosen();
    if (entry == nullptr) {
        return;
    }
    const auto size =
        entry->text.size() > 4 ? UserCharSizeOfText(entry->text.substr(4)) : std::nullopt;
    // An entry without a size has no grid to store.
    if (!size) {
        return;
    }
    UserCharRecord record{};
    for (std::size_t i = 0; i < 3; ++i) {
        record[i] = static_cast<std::uint8_t>(entry->text[i]);
    }
    record[3] = static_cast<std::uint8_t>(size->letter);
    for (int r = 0; r < kUserCharRows; ++r) {
        std::uint8_t bits = 0;
        for (int i = 0; i < size->width; ++i) {
            if (cellOn(i, r)) {
                bits = static_cast<std::uint8_t>(bits | (0x80 >> i));
            }
        }
        record[static_cast<std::size_t>(4 + r)] = bits;
    }
    entry->record = record;
}

void FontMakerModel::clearChosen() {
    FontEntry* entry = chosen();
    if (entry == nullptr) {
        return;
    }
    entry->record = UserCharRecord{};
    clearGrid();
}

void FontMakerModel::removeChosen() {
    if (const std::optional<int> index = chosenIndex()) {
        m_entries.erase(m_entries.begin() + *index);
    }
    m_chosenId.reset();
    m_width = 0;
    m_height = 0;
    clearGrid();
}

void FontMakerModel::replaceWith(const std::vector<UserCharRecord>& records) {
    m_entries.clear();
    m_chosenId.reset();
    m_width = 0;
    m_height = 0;
    clearGrid();
    for (const UserCharRecord& record : records) {
        insertSorted(FontEntry{m_nextId++, RecordEntryText(record), record});
    }
}

} // namespace lumivo::userfont
