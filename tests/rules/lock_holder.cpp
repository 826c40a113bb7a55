// Helper process of the lock tests: opens a rule database for writing,
// signals a named event, holds the file for a while and closes it.
// Usage: lock_holder PATH READY_EVENT HOLD_MS
// Exit code: GetTickCount() just before the file is closed (the waiter can
// wake as soon as it is, before this process runs again), or 0 when the
// file could not be opened.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "rules/rule_storage.h"
#include "win/raii.h"

int main() {
    int argc = 0;
    UniqueArgv args(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    if (!args || argc != 4) return 0;
    wchar_t** argv = args.get();
    const wchar_t* path = argv[1];
    const DWORD holdMs = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));

    UniqueHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    RuleStorage storage;
    const bool opened = storage.OpenFile(path, false);
    if (ready) ::SetEvent(ready.get());
    ::Sleep(holdMs);
    const DWORD closedAt = ::GetTickCount();
    storage.Close();
    return opened ? static_cast<int>(closedAt) : 0;
}
