// Process-wide state of the plug-in object.
#pragma once

class CPestrolSetDlg;

// The single main page object, created with the first plug-in object.
extern CPestrolSetDlg* g_pSetDlg;
