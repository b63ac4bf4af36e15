#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Converts UTF-8 text to the 8-bit line text (Latin-1). nullopt when the text is not valid
// UTF-8 or holds a character above U+00FF, which no line byte can carry.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// Walks over the arguments of one command: options with values, flags, and positionals.
class ArgumentReader {
public:
    explicit ArgumentReader(std::vector<std::string> args) : m_args(std::move(args)) {}

    bool atEnd() const { return m_index >= m_args.size(); }
    const std::string& peek() const { return m_args[m_index]; }
    std::string take() { return m_args[m_index++]; }

    // When the next argument is `name` (or `name=value`), consumes it with its value.
    // Sets `missingValue` when the option is there but its value is not.
    std::optional<std::string> takeOption(std::string_view name, bool& missingValue);

private:
    std::vector<std::string> m_args;
    std::size_t m_index = 0;
};

} // namespace lumivo::cli
