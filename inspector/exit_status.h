// The inspector's exit statuses.
#pragma once

const int kExitDone = 0;       // done; verify found no error
const int kExitProblems = 1;   // verify found errors, a source does not pack, a blob that Import refuses
const int kExitCannotUse = 2;  // missing or unreadable input, a file of the wrong kind, output not written
const int kExitUsage = 3;      // bad command line
