// The module object: lock count, own instance handle, the lazily created
// class object guarded by a critical section.
#pragma once
#include <windows.h>

void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// False when the module's critical section could not be set up; the module
// then refuses to load.
bool ModuleInitialized();
