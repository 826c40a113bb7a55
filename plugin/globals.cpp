#include "plugin/globals.h"

CPestrolSetDlg* g_pSetDlg = nullptr;
