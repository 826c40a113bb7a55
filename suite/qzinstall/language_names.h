// Text forms of the suite's language: the LanguageId setting and the names
// of the per-language resource modules.  Plain text handling, no Windows.
#pragma once
#include <optional>
#include <string_view>

// "0x0409" (hexadecimal with 0x) or "1033" (decimal), surrounding blanks
// allowed.  Nothing for empty text, other characters or values above 0xFFFF.
std::optional<unsigned short> ParseLanguageId(std::wstring_view text);

// Whether `fileName` names a language module: "VtPesTrol" + four hexadecimal
// digits + ".lng", in any letter case.
bool IsLanguageFileName(std::wstring_view fileName);
