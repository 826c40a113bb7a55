// What the current user may change: administrator rights and whether a key
// path typed in a dialog is acceptable.
#pragma once

// True on the 9x platform; elsewhere whether the process token lists the
// built-in Administrators group.
bool IsUserAdmin();

// Accepts a path of at most 1000 ANSI characters that starts with a long
// root name and a backslash; a deeper path also needs its first level under
// the root to open with full access.
bool IsValidKeyPath(const wchar_t* keyPath);
