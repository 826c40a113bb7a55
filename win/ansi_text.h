// Conversions between UTF-16 and byte text: the system's ANSI code page for
// the rule files whose paths and texts are ANSI, UTF-8 for what the suite's
// programs print and log, any other code page for the tools.  Every one goes
// through BytesToWide and WideToBytes.
#pragma once
#include <string>
#include <string_view>

// The whole of `text` (embedded NULs included) with the system's flags
// (MB_ERR_INVALID_CHARS, WC_NO_BEST_FIT_CHARS, ...).  False when the system
// refuses the text; empty text converts to empty.
bool BytesToWide(std::string_view text, unsigned codePage, unsigned long flags, std::wstring& wide);
// usedDefault, when given, tells whether a character had no form in the
// code page.
bool WideToBytes(std::wstring_view text, unsigned codePage, unsigned long flags, std::string& bytes,
                    bool* usedDefault = nullptr);

// Up to the first NUL; empty for null, empty or unconvertible text.
std::string ToAnsi(const wchar_t* text);
std::wstring ToWide(const char* text);

// Empty where the system refuses the text.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
