#include "tests/support/child_process.h"

#include "tests/support/test_files.h"

namespace testing_support {

namespace {

UniqueFile InheritableOutput(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    // Others may read (and the monitor tests poll) the file while it is written.
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& output, const std::wstring& errors,
                         const wchar_t* currentFolder) {
    process_.reset();
    id_ = 0;
    UniqueFile out, err;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!output.empty()) {
        out = InheritableOutput(output);
        if (!errors.empty()) err = InheritableOutput(errors);
        if (!out || (!errors.empty() && !err)) {
            lastError_ = ::GetLastError();
            return false;
        }
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = errors.empty() ? out.get() : err.get();
    }
    std::wstring writable = commandLine;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &writable[0], nullptr, nullptr, output.empty() ? FALSE : TRUE, 0, nullptr,
                          currentFolder, &startup, &info)) {
        lastError_ = ::GetLastError();
        return false;
    }
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    lastError_ = 0;
    return true;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) const {
    return process_ && ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

void ChildProcess::Terminate(DWORD code) const {
    if (!process_) return;
    ::TerminateProcess(process_.get(), code);
    ::WaitForSingleObject(process_.get(), 10000);
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

ProgramRun RunProgram(const std::wstring& commandLine, const std::wstring& folder, DWORD timeoutMs,
                      bool mergeErrors) {
    ProgramRun run;
    const std::wstring outPath = folder + L"\\program-out.txt";
    const std::wstring errPath = folder + L"\\program-err.txt";
    {
        ChildProcess child;
        run.started = child.Start(commandLine, outPath, mergeErrors ? std::wstring() : errPath);
        if (!run.started) {
            run.startError = child.LastError();
            return run;
        }
        if (child.WaitForExit(timeoutMs)) {
            run.status = child.ExitCode();
        } else {
            run.timedOut = true;
            child.Terminate(ProgramRun::kNoExit);
        }
    }
    run.out = ReadBytes(outPath);
    if (!mergeErrors) run.err = ReadBytes(errPath);
    return run;
}

}  // namespace testing_support
