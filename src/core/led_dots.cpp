#include "core/led_dots.h"

#include <algorithm>

namespace lumivo {

DotImage::DotImage(int columns, int rows)
    : m_columns(std::max(columns, 0)), m_rows(std::max(rows, 0)),
      m_dots(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), Dot::Off) {}

std::string DotImageText(const DotImage& image) {
    std::string text;
    text.reserve(static_cast<std::size_t>(image.columns() + 1) *
                 static_cast<std::size_t>(image.rows()));
    for (int y = 0; y < image.rows(); ++y) {
        for (int x = 0; x < image.columns(); ++x) {
            switch (image.at(x, y)) {
            case Dot::Off:
                text += '.';
                break;
            case Dot::Red:
                text += 'R';
                break;
            case Dot::Green:
                text += 'G';
                break;
            case Dot::Yellow:
                text += 'Y';
                break;
            }
        }
        text += '\n';
    }
    return text;
}

DotImage DotImageFromText(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    std::size_t columns = 0;
    for (const auto& row : lines)
        columns = std::max(columns, row.size());
    DotImage image(static_cast<int>(columns), static_cast<int>(lines.size()));
    for (std::size_t y = 0; y < lines.size(); ++y) {
        for (std::size_t x = 0; x < lines[y].size(); ++x) {
            const char c = lines[y][x];
            const Dot dot = c == 'R'   ? Dot::Red
                            : c == 'G' ? Dot::Green
                            : c == 'Y' ? Dot::Yellow
                                       : Dot::Off;
            image.set(static_cast<int>(x), static_cast<int>(y), dot);
        }
    }
    return image;
}

} // namespace lumivo
