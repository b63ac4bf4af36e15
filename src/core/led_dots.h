#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumivo {

// One LED of a sign: off, or lit in one of the sign's colours (yellow is red and green together).
enum class Dot : std::uint8_t { Off, Red, Green, Yellow };

// A rectangle of dots, row by row, top row first. Reading outside gives Off; writing outside is
// ignored, so drawing code may run past the edges.
class DotImage {
public:
    DotImage() = default;
    DotImage(int columns, int rows);

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_columns && y < m_rows; }

    Dot at(int x, int y) const { return contains(x, y) ? m_dots[index(x, y)] : Dot::Off; }
    void set(int x, int y, Dot dot) {
        if (contains(x, y))
            m_dots[index(x, y)] = dot;
    }

    bool operator==(const DotImage&) const = default;

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(x);
    }

    int m_columns = 0;
    int m_rows = 0;
    std::vector<Dot> m_dots;
};

// Rows of dots as text, one line per row ending in '\n': '.' off, 'R' red, 'G' green,
// 'Y' yellow. Golden pictures in the tests are written this way.
std::string DotImageText(const DotImage& image);

// The reverse of DotImageText; any other character is an unlit dot, short rows are padded.
DotImage DotImageFromText(const std::string& text);

} // namespace lumivo
