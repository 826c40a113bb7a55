// Settings files such as a user's would be after some editing: hand-written
// rules, own categories with items in the user database, per-category
// options.  Written with the plug-in's own storage code.
#pragma once
#include <string>

// Writes RegUser.ini, QRegUser.rdb and QRegEx.ini into `folder`; false when
// any of them could not be written.
bool WriteRealisticSettings(const std::wstring& folder);

// The three settings file names in blob order.
extern const wchar_t* const kSettingsFileNames[3];
