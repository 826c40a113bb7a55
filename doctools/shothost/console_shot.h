// Starts the suite's options console from this program's folder, reports
// its window once it shows the page, and closes it when the report file is
// deleted or after the requested time.
#pragma once
#include "doctools/shothost/shot_request.h"

// Exit code: 0 when the console window was shown and reported.
int RunConsoleShot(const ShotRequest& request);
