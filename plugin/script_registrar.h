// Self-registration helpers: the module's own path and its registry scripts,
// run through the system's registrar object.
#pragma once
#include <windows.h>

#include "plugin/resources/module_ids.h"

// The full path of `module` into a MAX_PATH buffer.  A path that fills the
// whole buffer may be cut off and fails with the insufficient-buffer HRESULT.
HRESULT GetModulePath(HINSTANCE module, wchar_t (&path)[MAX_PATH]);

// Runs the module's registry script `id` (type "REGISTRY": IDR_APPID_SCRIPT,
// the application id, or IDR_CLASS_SCRIPT, the class, its ProgIDs and server
// key) in register or unregister mode with the replacements MODULE,
// Module_Raw and APPID.
// Initialises COM for the call when the thread has not done so.
HRESULT RunRegistryScript(UINT id, bool doRegister);
