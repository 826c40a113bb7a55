// ShotHost: shows one window of the settings plug-in, or the suite's console,
// in the suite folder it lies in, and reports where the window is so that
// scripts/screenshots.sh can capture it.  The suite's language is the one
// its installer library answers (QZInstall.ini beside it).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/raii.h"
#include "doctools/shothost/console_shot.h"
#include "doctools/shothost/dialog_shots.h"
#include "doctools/shothost/shot_request.h"
#include "doctools/shothost/window_report.h"

namespace {

struct LocalFreeTraits {
    static wchar_t** Invalid() { return nullptr; }
    static bool Valid(wchar_t** block) { return block != nullptr; }
    static void Close(wchar_t** block) { ::LocalFree(block); }
};

std::vector<std::wstring> Arguments() {
    int count = 0;
    UniqueResource<wchar_t**, LocalFreeTraits> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv.get()[i]);
    return arguments;
}

// A GUI program has no console of its own; under Wine the standard error
// handle is usually the terminal's.  The report file is the reliable way.
void PrintError(const std::wstring& text) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE) return;
    std::string line = "ShotHost: ";
    for (wchar_t c : text) line += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    line += "\n";
    DWORD written = 0;
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ShotRequest request = ParseShotRequest(Arguments());
    if (!request.error.empty()) {
        PrintError(request.error);
        PrintError(std::wstring(L"usage: ") + ShotUsage());
        WriteReportFile(request.reportPath, FormatErrorReport(request.error));
        return 2;
    }
    return request.target == ShotTarget::kConsole ? RunConsoleShot(request) : RunDialogShot(request);
}
