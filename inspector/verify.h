// "verify": every problem of a category database, a rule library or a
// settings blob, with its place and the plug-in's view of the file.
#pragma once
#include <string>

#include "inspector/finding.h"
#include "inspector/rule_file.h"

struct VerifyOptions {
    bool asBlob = false;  // check a file that is no compound file as a blob, whatever its header
};

struct VerifyReport {
    FileKind kind = FileKind::kUnknown;
    bool verified = false;   // false: not a kind verify knows; `problem` says why
    std::string problem;
    std::string contents;    // what the file holds
    std::string pluginView;  // what the plug-in makes of it
    FindingList findings;
};

VerifyReport VerifyFile(const std::wstring& path, const VerifyOptions& options);
