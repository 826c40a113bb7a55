#include "suite/console/hidden_console.h"

bool HiddenConsole::Open(const std::wstring& pluginPath, std::wstring& error) {
    Close();
    return host_.Open(pluginPath, error);
}

bool HiddenConsole::CreatePageWindow(std::wstring& error) {
    window_.reset(new OptionsWindow(Option(), GetModuleHandleW(nullptr), false));
    if (!window_->Create(SW_HIDE)) {
        error = L"the options window cannot be created";
        return false;
    }
    if (!window_->HasPage()) {
        error = L"the plug-in created no page";
        return false;
    }
    return true;
}

void HiddenConsole::Close() {
    window_.reset();
    host_.Close();
}

HWND HiddenConsole::Page() const { return window_ ? GetWindow(window_->Frame(), GW_CHILD) : nullptr; }
