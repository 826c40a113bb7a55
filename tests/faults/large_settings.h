// Large settings files in distinct versions, for runs that must tell after
// the fact which version a file holds: every file of version `tag` differs
// from the same file of any other version.
#pragma once
#include <cstdint>
#include <string>

// Writes RegUser.ini, QRegUser.rdb and QRegEx.ini of about `kilobytes` each
// into `folder`; false when any could not be written.
bool WriteLargeSettings(const std::wstring& folder, char tag, uint32_t kilobytes);
