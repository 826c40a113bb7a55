// Whether a path names its place whole: a drive letter and a backslash, or a
// UNC path.  Anything else would be taken relative to the current folder or
// drive, which the user or another program controls.
#pragma once

inline bool IsFullPath(const wchar_t* path) {
    if (!path || !path[0]) return false;
    const bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path[0] == L'\\' && path[1] == L'\\' && path[2] && path[2] != L'\\';
    return drive || unc;
}
