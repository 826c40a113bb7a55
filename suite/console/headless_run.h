// Runs the command line's actions without a window.
#pragma once
#include "suite/console/command_line.h"

// One output line per action done; the first failure ends the run with a
// message on standard error.  Returns the exit code: 0, or 1 on failure.
int RunHeadless(const CommandLine& commandLine);
