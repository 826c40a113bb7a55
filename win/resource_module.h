// The module from which every dialog template, menu and string is loaded:
// the language module once start-up has run (null when it is missing).
#pragma once
#include <windows.h>
#include <string>

HINSTANCE ResourceModule();
// Atomic exchange; returns the previous module.
HINSTANCE SetResourceModule(HINSTANCE module);
// String `id` of the resource module; empty when missing.
std::wstring LoadResourceString(UINT id);
