// Tells the screenshot script where a shown window lies on the desktop, or
// why there is nothing to capture: one line in a small text file.
#pragma once
#include <windows.h>
#include <string>

// "left top width height\n" of a screen rectangle.
std::string FormatWindowReport(const RECT& rect);
// "error <text>\n".
std::string FormatErrorReport(const std::wstring& text);

// Writes the line under a temporary name and then renames it, so that the
// script polling for the file never reads half of it.  An empty path writes
// nothing.  False when the file could not be written.
bool WriteReportFile(const std::wstring& path, const std::string& line);
// The script deletes the report once it has captured the window: the sign
// to close it.  False for an empty path.
bool ReportTakenAway(const std::wstring& path);
