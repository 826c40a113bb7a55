// Self-registration helpers: the module's own path and its registry scripts,
// run through the system's registrar object.
#pragma once
#include <windows.h>

const UINT kAppIdScript = 101;  // application id
const UINT kClassScript = 102;  // the class, its ProgIDs and server key

// The full path of `module` into a MAX_PATH buffer.  A path that fills the
// whole buffer may be cut off and fails with the insufficient-buffer HRESULT.
HRESULT GetModulePath(HINSTANCE module, wchar_t (&path)[MAX_PATH]);

// Runs the module's registry script `id` (type "REGISTRY") in register or
// unregister mode with the replacements MODULE, Module_Raw and APPID.
// Initialises COM for the call when the thread has not done so.
HRESULT RunRegistryScript(UINT id, bool doRegister);
