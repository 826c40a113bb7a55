// UTF-16 code unit shared by the portable core and the Windows code.
// On Windows wchar_t is already 16 bits wide; elsewhere char16_t is.
#pragma once
#include <cwchar>

#if WCHAR_MAX == 0xFFFF
typedef wchar_t utf16_t;
#else
typedef char16_t utf16_t;
#endif

static_assert(sizeof(utf16_t) == 2, "UTF-16 code unit must be 2 bytes");
