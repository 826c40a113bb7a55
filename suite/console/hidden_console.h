// The console as the walk-through runs it: the plug-in loaded as the
// options window loads it, and its page created in an options window that is
// never shown.  The window and the page in it go before the plug-in.
#pragma once
#include "suite/console/options_window.h"
#include "suite/console/plugin_host.h"

#include <memory>
#include <string>

class HiddenConsole {
public:
    HiddenConsole() = default;
    ~HiddenConsole() { Close(); }
    HiddenConsole(const HiddenConsole&) = delete;
    HiddenConsole& operator=(const HiddenConsole&) = delete;

    // Loads the plug-in and gets its object.  False, with the reason.
    bool Open(const std::wstring& pluginPath, std::wstring& error);
    // The options window, hidden, with the plug-in's page in it (CreatePage
    // loads the settings).  False, with the reason, when there is no page.
    bool CreatePageWindow(std::wstring& error);
    // The window and its page, then the plug-in object and its library.
    void Close();

    IProductOption& Option() const { return *host_.Option(); }
    HWND Window() const { return window_ ? window_->Handle() : nullptr; }
    HWND Page() const;  // the plug-in's page in the window's frame

private:
    PluginHost host_;
    std::unique_ptr<OptionsWindow> window_;
};
