// Whether an editor was confirmed with its OK button since the module was
// loaded: it gates Apply.  Set by the editors, never reset.
#pragma once

extern bool g_bModified;
