#pragma once

#include "core/compiler.h"
#include "core/graphic.h"
#include "link/outcome.h"

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace lumivo::link {

// Readable failures: the box kind and the text with its blanks made visible.
inline void PrintTo(const Outcome& outcome, std::ostream* os) {
    static const char* const kKinds[] = {"None", "Information", "Error", "Plain"};
    *os << kKinds[static_cast<int>(outcome.box)] << " [" << outcome.text << "] "
        << (outcome.success ? "success" : "failure");
}

} // namespace lumivo::link

namespace lumivo::link::test {

inline Outcome Info(const char* text) {
    return {BoxKind::Information, text, true};
}
inline Outcome Plain(const char* text) {
    return {BoxKind::Plain, text, false};
}
inline Outcome ErrorBox(const char* text) {
    return {BoxKind::Error, text, false};
}
inline const Outcome kOpenComError{BoxKind::Error, " Open Com Error ", false};

// Graphics held in memory. With `checked` false, load hands out any rows as they are, like a
// careless source would, so the senders' own shape check can be seen at work.
class MemoryGraphics final : public GraphicSource {
public:
    explicit MemoryGraphics(bool checked = true) : m_checked(checked) {}

    void add(std::string name, std::vector<std::string> rows) {
        m_graphics[std::move(name)] = Graphic{std::move(rows)};
    }

    Result<Graphic> load(std::string_view name) const override {
        const auto it = m_graphics.find(std::string(name));
        if (it == m_graphics.end()) {
            return Error{"Graphic " + std::string(name) + " cannot be read: no such file"};
        }
        if (m_checked) {
            if (Status fits = CheckGraphicForSign(it->second, name); !fits) {
                return fits.error();
            }
        }
        return it->second;
    }

private:
    bool m_checked;
    std::map<std::string, Graphic, std::less<>> m_graphics;
};

// `rows` rows of `width` copies of one pixel letter.
inline std::vector<std::string> SolidRows(int rows, int width, char letter) {
    return std::vector<std::string>(static_cast<std::size_t>(rows),
                                    std::string(static_cast<std::size_t>(width), letter));
}

// The protocol bytes of a frame as a readable byte string (frames may hold raw bytes).
inline std::string Raw(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) {
        s += static_cast<char>(b);
    }
    return s;
}

} // namespace lumivo::link::test
