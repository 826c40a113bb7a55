// Where a dialog template of the language module puts its controls, read
// from the template itself, so that a floor dialog lays its lists out as
// the dialog under measurement does, whatever the template holds.
#pragma once
#include <windows.h>

#include <map>

struct TemplateControl {
    short x, y, cx, cy;  // dialog units
    DWORD style;
};

struct TemplateLayout {
    short cx = 0, cy = 0;  // the dialog, in dialog units
    std::map<DWORD, TemplateControl> controls;  // by control id
};

// Reads the extended dialog template `templateId` of `module`; false when
// it is missing or not an extended template.
bool ReadTemplateLayout(HINSTANCE module, UINT templateId, TemplateLayout& layout);
