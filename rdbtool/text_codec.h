// Exact conversions between UTF-8, UTF-16 and a named ANSI code page.  The
// tool never uses the machine's own code page: a database packed here is the
// same on every machine.
#pragma once
#include <cstdint>
#include <string>

// Single- and double-byte code pages that this machine can convert.
bool IsAnsiCodePage(uint32_t codePage);

// False on malformed UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring& wide);
// Lone surrogates are written as U+FFFD; callers that must keep them escape
// them first.
std::string WideToUtf8(const std::wstring& wide);

// Whether the code page maps the ASCII range to the same values both ways
// (every Windows ANSI code page does; EBCDIC ones do not): then plain ASCII
// text is its own conversion.
bool CodePageKeepsAscii(uint32_t codePage);

// False when a character has no exact form in the code page (no best-fit
// substitutes, no default character).
bool WideToCodePage(const std::wstring& wide, uint32_t codePage, std::string& ansi);
// False when the bytes are not a valid text of the code page, or would not
// come back unchanged.
bool CodePageToWide(const std::string& ansi, uint32_t codePage, std::wstring& wide);
// Names the first character of the text that the code page cannot hold.
std::string DescribeCodePageMiss(const std::wstring& wide, uint32_t codePage);
