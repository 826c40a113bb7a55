// The user's three settings files, their "temp" working copies, and the one
// builder of paths in the per-user settings folder.
#pragma once
#include <windows.h>
#include "win/install_info.h"

struct SettingsFileSet {
    wchar_t regUserIni[kPathChars];
    wchar_t regUserIniWork[kPathChars];
    wchar_t userDatabase[kPathChars];
    wchar_t userDatabaseWork[kPathChars];
    wchar_t expertIni[kPathChars];
    wchar_t expertIniWork[kPathChars];
};

extern SettingsFileSet g_settingsFiles;

extern const wchar_t kRegUserIniName[];    // "RegUser.ini"
extern const wchar_t kUserDatabaseName[];  // "QRegUser.rdb"
extern const wchar_t kExpertIniName[];     // "QRegEx.ini"

// Writes the full path of settings file `name` (the working copy "temp" +
// name when `real` is false) into buffer.  Creates the settings folder on the
// way.  A path that does not fit, or a folder that cannot be determined,
// leaves the buffer empty: a cut path could name another file.
void BuildSettingsPath(const wchar_t* name, wchar_t* buffer, UINT bufferChars, bool real);

// The six paths, in the order QRegUser.rdb, QRegEx.ini, RegUser.ini (real,
// then working copy each).
void BuildSettingsFileSet(SettingsFileSet& set);
