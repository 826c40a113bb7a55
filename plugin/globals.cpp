#include "plugin/globals.h"

bool g_bModified = false;
CPestrolSetDlg* g_pSetDlg = nullptr;
