// Opens one of the plug-in's dialogs the way the plug-in does, from the
// suite's language module over the loaded rule store, and keeps it up for
// the screenshot.
#pragma once
#include "doctools/shothost/shot_request.h"

// Exit code: 0 when the dialog was shown and reported.
int RunDialogShot(const ShotRequest& request);
