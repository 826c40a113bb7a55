// VtPsInspect: dumps, packs and verifies rule databases; looks into
// settings blobs.  See docs/inspector.md.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "win/raii.h"
#include "inspector/commands.h"
#include "rdbtool/console_text.h"
#include "inspector/exit_status.h"

int main() {
    int argc = 0;
    UniqueArgv argv(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    if (!argv) return kExitUsage;
    const std::vector<std::wstring> args(argv.get() + (argc > 0 ? 1 : 0), argv.get() + argc);
    // Compound files need COM on this thread.
    const HRESULT com = ::CoInitialize(nullptr);
    int status;
    try {
        status = RunInspector(args);
    } catch (const std::bad_alloc&) {
        Err("VtPsInspect: out of memory\n");
        status = kExitCannotUse;
    } catch (const std::exception& e) {
        Err(std::string("VtPsInspect: ") + e.what() + "\n");
        status = kExitCannotUse;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
