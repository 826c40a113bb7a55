// Running VtPsInspect as a process, as a user does, and the files the
// program tests hand it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"

namespace inspector_testing {

using InspectRun = testing_support::ProgramRun;

// Runs "VtPsInspect <arguments>" with standard output and error in files of
// `folder`.
InspectRun RunInspect(const std::wstring& arguments, const testing_support::ScratchDir& folder);

inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A rule database file whose streams hold exactly these deciphered bytes,
// written through the plug-in's storage classes.
bool WriteRuleStreams(const std::wstring& path,
                      const std::vector<std::pair<const char*, std::vector<uint8_t>>>& streams);

// The deciphered streams of a database file, RegDefine or REGINFO + REGLIB.
std::vector<std::vector<uint8_t>> DatabaseStreams(const std::wstring& path);

}  // namespace inspector_testing
