// The console's walk-through: what a newcomer without a display sees of the
// product, done through the plug-in's page and dialogs as a user does it,
// and printed only as observed.  From a fresh profile (the user's settings
// folder put aside): the settings loaded, a category and a registry item
// added in the expert rule editor, the editor confirmed and the settings
// applied, exported to `exportFile`, imported into a fresh profile again and
// loaded there.  The user's settings folder is put back at the end.
#pragma once
#include <string>

// Returns the exit code: 0 when every step was seen to work, else 1 (the
// failure on standard error).
int RunWalkThrough(const std::wstring& pluginPath, const std::wstring& exportFile);
