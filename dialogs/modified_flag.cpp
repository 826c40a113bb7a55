#include "dialogs/modified_flag.h"

bool g_bModified = false;
