// The module's entry point: start-up on process attach only.
#include <windows.h>

#include "plugin/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) return StartModule(instance) ? TRUE : FALSE;
    return TRUE;
}
