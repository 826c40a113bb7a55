// The area of the options window that holds the plug-in's page.  It keeps
// whatever child it holds (the page, or a notice when there is none) filling
// its client area, so the page follows every resize of the window.
#pragma once
#include <windows.h>

HWND CreatePageFrame(HWND parent, HINSTANCE instance, int id);
