#include "suite/console/inspector_run.h"

#include "win/ansi_text.h"
#include "win/raii.h"
#include "suite/console/plugin_host.h"

namespace {

constexpr DWORD kTimeLimitMs = 30000;

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(L'\n', begin);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

}  // namespace

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

InspectorRun RunInspector(const std::wstring& arguments) {
    InspectorRun run;
    const std::wstring program = BesideConsole(L"VtPsInspect.exe");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        run.error = L"no pipe for the inspector's output (error " + std::to_wstring(GetLastError()) + L")";
        return run;
    }
    UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine = Quoted(program) + L" " + arguments;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        run.error = L"cannot start " + program + L" (error " + std::to_wstring(GetLastError()) + L")";
        return run;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    run.started = true;
    // Ours closed, the pipe ends when the inspector's copy goes with it.
    writer.reset();
    std::string output;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(reader.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) output.append(chunk, got);
    if (WaitForSingleObject(process.hProcess, kTimeLimitMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &run.exitCode)) {
        run.error = program + L" did not finish";
        return run;
    }
    run.lines = Lines(FromUtf8(output));
    return run;
}
