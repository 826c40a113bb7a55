// ASCII-only case folding, narrow and wide: the profile functions, the
// registry root names and the rule keys fold A-Z and nothing else, so no
// locale or code page enters a comparison.
#pragma once
#include <algorithm>
#include <string_view>

template <typename Char>
constexpr Char AsciiLower(Char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
constexpr Char AsciiUpper(Char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

namespace ascii_case_detail {

template <typename Char>
bool Equal(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

template <typename Char>
bool Less(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](Char x, Char y) { return AsciiLower(x) < AsciiLower(y); });
}

}  // namespace ascii_case_detail

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) { return ascii_case_detail::Equal(a, b); }
inline bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return ascii_case_detail::Equal(a, b); }
inline bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) { return ascii_case_detail::Less(a, b); }
inline bool LessIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return ascii_case_detail::Less(a, b); }
