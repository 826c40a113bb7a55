// The message of a bad command line: what is wrong, then the command's help.
#pragma once
#include <string>

#include "rdbtool/console_text.h"
#include "inspector/exit_status.h"
#include "inspector/help_text.h"

inline int UsageError(const wchar_t* command, const std::string& problem) {
    Err("VtPsInspect: " + problem + "\n\n" + CommandHelp(command));
    return kExitUsage;
}

inline int ShowHelp(const wchar_t* command) {
    Out(CommandHelp(command));
    return kExitDone;
}

// "PATH: error: TEXT" on standard error; returns the status given.
inline int FileError(const std::wstring& path, const std::string& text, int status) {
    Err(PathText(path) + ": error: " + text + "\n");
    return status;
}
