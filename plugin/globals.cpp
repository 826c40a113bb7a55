#include "plugin/globals.h"

UniqueObject<CPestrolSetDlg> g_pSetDlg;
