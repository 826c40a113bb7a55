// Name lists of a profile (INI) file as the profile API returns them.
#pragma once
#include <vector>

// Section names (section null) or the key names of one section: names
// separated by NULs, ending with an empty name.  Missing file or section:
// an empty list (the buffer starts with two NULs).
std::vector<char> ReadProfileList(const char* path, const char* section = nullptr);
// The same through the wide profile functions.
std::vector<wchar_t> ReadProfileList(const wchar_t* path, const wchar_t* section = nullptr);
