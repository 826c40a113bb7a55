// The user's three settings files, their "temp" working copies, and the one
// builder of paths in the per-user settings folder.
#pragma once
#include <windows.h>
#include "plugin/install_info.h"

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

// The working copy of RegUser.ini to read rules from, or empty while it
// holds stale bytes (the real file could not be copied at the last Load).
void BuildReadableRuleFilePath(wchar_t* buffer, UINT bufferChars);
// The working copy of RegUser.ini to write entries into, or empty while the
// real file could not be read whole at the last Load (busy, or beyond the
// limits): such a file is left as it is.
void BuildEditableRuleFilePath(wchar_t* buffer, UINT bufferChars);

// The six paths, in the order QRegUser.rdb, QRegEx.ini, RegUser.ini (real,
// then working copy each).
void BuildSettingsFileSet(SettingsFileSet& set);

// Wide to ANSI (system code page) into a fixed field; empty when the text
// does not fit whole.
void WideToAnsiField(const wchar_t* text, char* field, int fieldSize);

// Fills the rule store's four path fields (done once at module load).
void BuildRuleStorePaths();
