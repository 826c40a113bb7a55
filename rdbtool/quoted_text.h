// Quoted texts of the source format.  Between double quotes, text is UTF-8;
// a backtick starts an escape: `` (backtick), `" (quote), `n `r `t, `xHH (one
// raw byte, narrow texts only) and `uHHHH (one UTF-16 code unit, wide texts
// only).  The backtick was chosen because registry paths are full of
// backslashes and value patterns of percent signs.
#pragma once
#include <cstdint>
#include <string>

// The text between the quotes (escapes still in it) as UTF-16.  False with a
// message on malformed UTF-8, a bad escape or a NUL.
bool DecodeWideText(const std::string& raw, std::wstring& text, std::string& error);
// The text as bytes of the code page: UTF-8 converted exactly, `xHH taken as
// is.  False with a message when a character has no exact form there.
bool DecodeAnsiText(const std::string& raw, uint32_t codePage, std::string& text, std::string& error);

// The quoted form (quotes included) that decodes back to exactly the same
// code units or bytes.  Narrow texts that are not a valid text of the code
// page are written byte by byte.
std::string QuoteWideText(const std::wstring& text);
std::string QuoteAnsiText(const std::string& bytes, uint32_t codePage);
// The same quoted forms appended to `out`, for NUL-terminated texts such as
// the records' fixed fields: a dump of a large database quotes some 150,000
// texts, most of them plain ASCII.
void AppendQuotedWide(std::string& out, const wchar_t* text);
void AppendQuotedAnsi(std::string& out, const char* bytes, uint32_t codePage);
