// The module's entry point: start-up on process attach only.
#include <windows.h>

#include "win/no_throw.h"
#include "plugin/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // A start-up that throws refuses the load like one that fails.
    if (reason == DLL_PROCESS_ATTACH) return CallNoThrow(false, [&] { return StartModule(instance); }) ? TRUE : FALSE;
    return TRUE;
}
