#pragma once

#include <cstddef>
#include <string_view>

namespace lumivo::sim {

// Small byte patterns for the sign's codes: '#' stands for a hexadecimal digit (either case),
// '@' for a capital letter, '9' for a decimal digit; every other character is literal.
enum class PatternMatch { Mismatch, Partial, Full };

inline bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Compares the start of `data` with the pattern; Partial when `data` ends before the pattern
// does and agrees so far.
inline PatternMatch MatchPattern(std::string_view data, std::string_view pattern) {
    const std::size_t n = data.size() < pattern.size() ? data.size() : pattern.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = data[i];
        bool ok = false;
        switch (pattern[i]) {
        case '#':
            ok = IsHexDigit(c);
            break;
        case '@':
            ok = c >= 'A' && c <= 'Z';
            break;
        case '9':
            ok = c >= '0' && c <= '9';
            break;
        default:
            ok = c == pattern[i];
            break;
        }
        if (!ok) {
            return PatternMatch::Mismatch;
        }
    }
    return data.size() >= pattern.size() ? PatternMatch::Full : PatternMatch::Partial;
}

// True when `data` starts with the pattern.
inline bool StartsWithPattern(std::string_view data, std::string_view pattern) {
    return MatchPattern(data, pattern) == PatternMatch::Full;
}

// True when `data` is exactly the pattern.
inline bool IsPattern(std::string_view data, std::string_view pattern) {
    return data.size() == pattern.size() && StartsWithPattern(data, pattern);
}

} // namespace lumivo::sim
