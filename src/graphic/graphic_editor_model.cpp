#include "graphic/graphic_editor_model.h"

#include <algorithm>
#include <set>

namespace lumivo::graphic {

namespace {

template <std::size_t N> std::optional<int> IndexIn(const std::array<int, N>& values, int value) {
    const auto it = std::find(values.begin(), values.end(), value);
    if (it == values.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - values.begin());
}

constexpr std::string_view kPictureTagStart = "<Pic:";

} // namespace

std::optional<int> HeightIndexOf(int rows) {
    return IndexIn(kHeights, rows);
}

std::optional<int> WidthIndexOf(int width) {
    return IndexIn(kWidths, width);
}

void GraphicEditorModel::setWidthIndex(int index) {
    if (index >= 0 && index < static_cast<int>(kWidths.size())) {
        m_widthIndex = index;
    }
}

void GraphicEditorModel::setHeightIndex(int index) {
    if (index >= 0 && index < static_cast<int>(kHeights.size())) {
        m_heightIndex = index;
    }
}

bool GraphicEditorModel::setZoomIndex(int index) {
    const int clamped = std::clamp(index, 0, kZoomEntries - 1);
    const bool changed = clamped != m_zoomIndex;
    m_zoomIndex = clamped;
    return changed;
}

void GraphicEditorModel::setTool(int number) {
    if (number >= 1 && number <= kToolCount) {
        m_tool = number;
    }
}

Status GraphicEditorModel::open(const std::filesystem::path& folder, const std::string& name) {
    Result<Graphic> graphic = ReadGraphicInFolder(folder, name);
    if (!graphic) {
        return graphic.error();
    }
    m_store.load(*graphic);
    if (const auto index = HeightIndexOf(graphic->height())) {
        m_heightIndex = *index;
    }
    if (const auto index = WidthIndexOf(graphic->width())) {
        m_widthIndex = *index;
    }
    return Ok{};
}

int GraphicEditorModel::addName(const std::string& name) {
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    if (it != m_names.end()) {
        return static_cast<int>(it - m_names.begin());
    }
    m_names.push_back(name);
    return static_cast<int>(m_names.size()) - 1;
}

void GraphicEditorModel::removeName(const std::string& name) {
    m_names.erase(std::remove(m_names.begin(), m_names.end(), name), m_names.end());
}

std::string PictureTag(std::string_view name) {
    return std::string(kPictureTagStart) + std::string(name) + ">";
}

std::vector<std::string> PictureTagNames(std::string_view line) {
    std::vector<std::string> names;
    std::size_t from = 0;
    while ((from = line.find(kPictureTagStart, from)) != std::string_view::npos) {
        from += kPictureTagStart.size();
        const std::size_t end = line.find('>', from);
        names.emplace_back(end == std::string_view::npos ? std::string_view()
                                                         : line.substr(from, end - from));
    }
    return names;
}

InsertDecision DecideInsertion(std::string_view name, int rowCount, std::string_view line1,
                               std::string_view line2, bool currentIsLine2) {
    std::set<std::string> others;
    bool onPage = false;
    for (const std::string_view line : {line1, line2}) {
        for (const std::string& tagName : PictureTagNames(line)) {
            if (tagName == name) {
                onPage = true;
            } else if (!tagName.empty()) {
                others.insert(tagName);
            }
        }
    }
    // A graphic already on the page is never refused for the count, wherever it stands.
    if (!onPage && static_cast<int>(others.size()) + 1 > kGraphicCount) {
        return InsertDecision::TooManyGraphics;
    }
    if (rowCount > kBlockHeight && currentIsLine2) {
        return InsertDecision::TooTallForLine2;
    }
    return InsertDecision::Insert;
}

std::string FolderCreationMessage(const std::filesystem::path& graphicsFolder) {
    std::string parent = graphicsFolder.parent_path().string();
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (parent.empty() || parent.back() != separator) {
        parent += separator;
    }
    return "Cannot create" + parent + std::string(kGraphicFolderName) + "Dirtrory";
}

} // namespace lumivo::graphic
