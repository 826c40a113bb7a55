// Test programs start other programs: the product's tools, helpers that hold
// a file or play a worker, the system's regsvr32.  One owner for such a
// process, and one way to run a program to its end and keep what it wrote.
#pragma once
#include <windows.h>

#include <string>

#include "win/raii.h"

namespace testing_support {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;

    // Starts `commandLine` (the program quoted by the caller).  With `output`
    // named, standard output goes to that new file, and standard error too
    // unless `errors` names a file of its own.  False (LastError() says why)
    // when the program does not start.
    bool Start(const std::wstring& commandLine, const std::wstring& output = std::wstring(),
               const std::wstring& errors = std::wstring(), const wchar_t* currentFolder = nullptr);
    bool Started() const { return static_cast<bool>(process_); }
    DWORD LastError() const { return lastError_; }
    HANDLE Handle() const { return process_.get(); }
    DWORD Id() const { return id_; }

    // Whether it ended within timeoutMs.
    bool WaitForExit(DWORD timeoutMs) const;
    // Ends it with `code` and waits for it to be gone.
    void Terminate(DWORD code) const;
    // Its exit code; STILL_ACTIVE while it runs or when it never started.
    DWORD ExitCode() const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
    DWORD lastError_ = 0;
};

// What a program left: its exit code (kNoExit when it did not start or was
// ended for running past its time) and its standard output and error.
struct ProgramRun {
    static constexpr DWORD kNoExit = 0xFFFFFFFF;
    DWORD status = kNoExit;
    std::string out;
    std::string err;  // empty when errors went with the output
    bool started = false;
    DWORD startError = 0;  // why it did not start
    bool timedOut = false;
};

// Runs `commandLine` to its end, at most timeoutMs (then ends it), with its
// output in files of `folder`; with mergeErrors one file takes both streams.
ProgramRun RunProgram(const std::wstring& commandLine, const std::wstring& folder, DWORD timeoutMs,
                      bool mergeErrors = false);

}  // namespace testing_support
