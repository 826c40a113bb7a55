// The settings plug-in as the console holds it: the library loaded by path
// and one plug-in object obtained straight from the library's class object
// (its registered class id is not the one it serves, so COM activation is
// not used).  The object is always released before the library is freed.
#pragma once
#include "plugin/product_option.h"
#include "win/raii.h"

#include <string>

class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost() { Close(); }
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // False, with the reason in `error`, when the library or the object
    // cannot be had.  Needs COM initialised on this thread.
    bool Open(const std::wstring& path, std::wstring& error);
    void Close();
    IProductOption* Option() const { return option_.get(); }

private:
    // Declared first, destroyed last: the object goes before its code.
    UniqueModule library_;
    ComPtr<IProductOption> option_;
};

// A file of the suite folder: `name` in the folder of the running program.
std::wstring BesideConsole(const std::wstring& name);
// VtPestrolSet.dll in the folder of the running program.
std::wstring DefaultPluginPath();

// The page title: GetTitle's byte count halved, no terminator involved.
std::wstring PluginTitle(IProductOption& option);

// "0x80040111" for messages.
std::wstring HresultText(HRESULT hr);
