// Puts the settings in the state a shot shows: the sample user rule file in
// place of the user's, then the plug-in's own load of the rule store.
#pragma once
#include <string>

// Copies `rulesPath` over the user rule file (not its working copy: the
// load refreshes that).  An empty path leaves the file alone.  False with
// `error` set when the copy failed.
bool InstallUserRules(const std::wstring& rulesPath, std::wstring& error);
