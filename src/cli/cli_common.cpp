#include "cli/cli_common.h"

namespace lumivo::cli {

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Two-byte sequences C2..C3 carry U+0080..U+00FF; anything longer is above U+00FF.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if ((next & 0xC0) == 0x80) {
                out += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
                i += 2;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> ArgumentReader::takeOption(std::string_view name, bool& missingValue) {
    if (atEnd()) {
        return std::nullopt;
    }
    const std::string& arg = m_args[m_index];
    if (arg == name) {
        if (m_index + 1 >= m_args.size()) {
            missingValue = true;
            ++m_index;
            return std::nullopt;
        }
        m_index += 2;
        return m_args[m_index - 1];
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
        arg[name.size()] == '=') {
        ++m_index;
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}

} // namespace lumivo::cli
