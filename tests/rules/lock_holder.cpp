// Helper process of the lock tests: opens a rule database for writing,
// signals a named event, holds the file for a while and closes it.
// Usage: lock_holder PATH READY_EVENT HOLD_MS
// Exit code: GetTickCount() right after the file was closed, or 0 when the
// file could not be opened.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "rules/rule_storage.h"

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 4) return 0;
    const wchar_t* path = argv[1];
    const DWORD holdMs = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));

    UniqueHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    RuleStorage storage;
    const bool opened = storage.OpenFile(path, false);
    if (ready) ::SetEvent(ready.get());
    ::Sleep(holdMs);
    storage.Close();
    const DWORD closedAt = ::GetTickCount();
    ::LocalFree(argv);
    return opened ? static_cast<int>(closedAt) : 0;
}
