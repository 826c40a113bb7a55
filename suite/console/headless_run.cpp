#include "suite/console/headless_run.h"

#include "suite/console/com_apartment.h"
#include "suite/console/console_output.h"
#include "suite/console/plugin_host.h"
#include "suite/console/settings_transfer.h"
#include "suite/console/walk_through.h"

namespace {

constexpr int kFailed = 1;

bool Run(IProductOption& option, const Action& action) {
    switch (action.kind) {
    case ActionKind::Title:
        PrintLine(L"title: " + PluginTitle(option));
        return true;
    case ActionKind::Load:
        option.Load();
        PrintLine(L"loaded");
        return true;
    case ActionKind::Apply:
        option.Apply();
        PrintLine(L"applied");
        return true;
    case ActionKind::Export: {
        TransferResult result = ExportSettings(option, action.file);
        if (!result.ok) {
            PrintErrorLine(result.error);
            return false;
        }
        PrintLine(L"exported " + std::to_wstring(result.bytes) + L" bytes to " + action.file);
        return true;
    }
    case ActionKind::WalkThrough:
        return false;  // runs alone, before any other action: see RunHeadless
    case ActionKind::Import: {
        TransferResult result = ImportSettings(option, action.file);
        if (!result.ok) {
            PrintErrorLine(result.error);
            return false;
        }
        PrintLine(L"imported " + std::to_wstring(result.bytes) + L" bytes from " + action.file);
        return true;
    }
    }
    return false;
}

}  // namespace

int RunHeadless(const CommandLine& commandLine) {
    const std::wstring path = commandLine.pluginPath.empty() ? DefaultPluginPath() : commandLine.pluginPath;
    if (commandLine.actions.size() == 1 && commandLine.actions[0].kind == ActionKind::WalkThrough)
        return RunWalkThrough(path, commandLine.actions[0].file);
    ComApartment apartment;
    if (!apartment.ok()) {
        PrintErrorLine(L"COM cannot be initialised (" + HresultText(apartment.result()) + L")");
        return kFailed;
    }
    PluginHost host;
    std::wstring error;
    if (!host.Open(path, error)) {
        PrintErrorLine(error);
        return kFailed;
    }
    for (const Action& action : commandLine.actions) {
        if (!Run(*host.Option(), action)) return kFailed;
    }
    return 0;
}
