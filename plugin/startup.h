// What the module does when a process attaches: find the suite's language,
// load its language module as the resource module, load the skin library.
#pragma once
#include <windows.h>
#include <string>

// "VtPesTrol%04X.lng" and "pestrol%04X" for a language id.
std::wstring LanguageModuleFileName(LANGID language);
std::wstring LanguageModuleKey(LANGID language);
// Where the language module for a language lies: the registered component
// file, else the suite's language folder + file name, else empty.
std::wstring LanguageModulePath(LANGID language);
// Loads the language module and makes it the resource module (also when the
// load fails).  Returns the handle; the module is never freed.
HINSTANCE LoadLanguageModule(LANGID language);

// Process attach: false when the module must refuse to load.
bool StartModule(HINSTANCE self);
// Writes "\nVtPestrol: <text> \n" to the debugger output.
void DebugLine(const wchar_t* format, ...);
// The line DebugLine writes for a text.
std::wstring DebugLineText(const wchar_t* text);
