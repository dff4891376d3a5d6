#pragma once

#include <string>
#include <string_view>

/**
 * Letter case in ASCII alone: file-type extensions, stored enumeration
 * names and accelerator letters are compared this way whatever the user's
 * locale (a Turkish "I" must still match "i"). Other characters stay as
 * they are.
 */
template <class Char>
constexpr Char ToLowerAscii(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
std::basic_string<Char> LowerAscii(std::basic_string_view<Char> text) {
    std::basic_string<Char> lower(text);
    for (Char& c : lower) c = ToLowerAscii(c);
    return lower;
}

inline std::string LowerAscii(std::string_view text) {
    return LowerAscii<char>(text);
}

/// True when a and b differ at most in ASCII letter case.
template <class Char>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                       std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase<char>(a, b);
}
