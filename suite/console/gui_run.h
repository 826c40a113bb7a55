// The console with its window: the default when no action is given.
#pragma once
#include <string>

// `pluginPath` empty: the plug-in beside the console.  Returns the exit code.
int RunOptionsGui(const std::wstring& pluginPath);
