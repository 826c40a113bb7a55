// Process-wide state shared by the plug-in object and the dialogs.
#pragma once

class CPestrolSetDlg;

// An editor was confirmed with its 1072 button; gates Apply.  Never reset.
extern bool g_bModified;
// The single main page object, created with the first plug-in object.
extern CPestrolSetDlg* g_pSetDlg;
