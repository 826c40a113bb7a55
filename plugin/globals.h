// Process-wide state of the plug-in object.
#pragma once
#include "dialogs/pestrol_set_dlg.h"
#include "win/raii.h"

// The single main page object, created with the first plug-in object and
// deleted with the first one destroyed.
extern UniqueObject<CPestrolSetDlg> g_pSetDlg;
