// Helpers shared by the suite stand-in tests: build folders as Wine sees
// them, small files, program runs.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"

using testing_support::ScratchDir;

// "/work/x" -> "Z:\work\x": Wine maps the Unix root to drive Z.
std::wstring WinePathFromUnix(const char* unixPath);
// The build's suite folder, where the stand-ins are laid out.
std::wstring SuiteDir();

// Creates the folders of `path` as needed and writes `bytes` to it.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool CopyInto(const std::wstring& source, const std::wstring& target);
std::string Narrow(const std::wstring& text);  // to UTF-8

// Runs `program` with `arguments` for at most a minute; its output goes
// through files in `scratch`.
using Outcome = testing_support::ProgramRun;
Outcome RunProgram(const std::wstring& program, const std::wstring& arguments, const ScratchDir& scratch);
