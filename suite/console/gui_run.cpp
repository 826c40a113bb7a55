#include "suite/console/gui_run.h"

#include "suite/console/com_apartment.h"
#include "suite/console/options_window.h"
#include "suite/console/plugin_host.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kCaption[] = L"Veltrane Options";

// Started from Explorer, the console window is the program's own: hide it.
// Started from a command prompt, the prompt keeps it.
void DropOwnConsole() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

}  // namespace

int RunOptionsGui(const std::wstring& pluginPath) {
    DropOwnConsole();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ComApartment apartment;
    if (!apartment.ok()) {
        MessageBoxW(nullptr, (L"COM cannot be initialised (" + HresultText(apartment.result()) + L").").c_str(),
                    kCaption, MB_OK | MB_ICONERROR);
        return 1;
    }
    PluginHost host;
    std::wstring error;
    if (!host.Open(pluginPath.empty() ? DefaultPluginPath() : pluginPath, error)) {
        MessageBoxW(nullptr, (error + L".").c_str(), kCaption, MB_OK | MB_ICONERROR);
        return 1;
    }
    int exitCode = 1;
    {
        // The window and the page in it go before the plug-in object.
        OptionsWindow window(*host.Option(), GetModuleHandleW(nullptr), true);
        if (!window.Create(SW_SHOWNORMAL)) {
            MessageBoxW(nullptr, L"The options window cannot be created.", kCaption, MB_OK | MB_ICONERROR);
            return 1;
        }
        exitCode = RunMessageLoop(window.Handle());
    }
    host.Close();
    return exitCode;
}
