#pragma once

#include "core/graphic.h"

#include <filesystem>
#include <string>

#include <stdlib.h>

namespace lumivo::test {

// A graphics folder of the test's own, removed at the end.
class GraphicsFolder {
public:
    GraphicsFolder() {
        char pattern[] = "/tmp/lumivo-graphics-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            m_path = pattern;
        }
    }
    ~GraphicsFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    GraphicsFolder(const GraphicsFolder&) = delete;
    GraphicsFolder& operator=(const GraphicsFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    bool write(const std::string& name, const std::vector<std::string>& rows) const {
        return WriteGraphicFile(GraphicPath(m_path, name), rows).ok();
    }

private:
    std::filesystem::path m_path;
};

// Rows of a graphic whose blocks hold every kind of byte a frame may carry: row 0 unlit (0x00),
// row 1 "@@AA" (0x0A, line feed), row 2 "@@ED" (0x0D, carriage return), row 3 all yellow (0xFF),
// the rest a mix of the four letters.
inline std::vector<std::string> MixedRows(int width, int height) {
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            switch (y) {
            case 0:
                row += '@';
                break;
            case 1:
                row += "@@AA"[x % 4];
                break;
            case 2:
                row += "@@ED"[x % 4];
                break;
            case 3:
                row += 'E';
                break;
            default:
                row += "@ADE"[(x * 3 + y * 5) % 4];
            }
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace lumivo::test
