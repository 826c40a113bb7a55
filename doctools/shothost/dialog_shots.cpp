#include "doctools/shothost/dialog_shots.h"

#include <windows.h>
#include <commctrl.h>

#include "core/rule_records.h"
#include "dialogs/add_vir_dlg.h"
#include "dialogs/class_add_dlg.h"
#include "dialogs/expert_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "dialogs/item_add_dlg.h"
#include "win/resource_module.h"
#include "plugin/settings_transfer.h"
#include "plugin/startup.h"
#include "rules/rule_store.h"
#include "doctools/shothost/dialog_watch.h"
#include "doctools/shothost/settings_setup.h"
#include "doctools/shothost/window_report.h"

namespace {

int Fail(const ShotRequest& request, const std::wstring& why) {
    WriteReportFile(request.reportPath, FormatErrorReport(why));
    return 1;
}

// The store's records are released at exit as the module's unload would.
struct LoadedStore {
    ~LoadedStore() { ReleaseRuleStore(); }
};

INT_PTR OpenDialog(ShotTarget target) {
    // No owner: nothing but the dialog is on the desktop, and it centres on it.
    switch (target) {
    case ShotTarget::kExpert: {
        CExpertDlg dialog;
        return dialog.DoModal(nullptr);
    }
    case ShotTarget::kClassAdd: {
        // A new category, as the editor's New button offers it: an empty record.
        RuleCategory fresh = {};
        CClassAdd dialog;
        dialog.m_pCategory = &fresh;
        return dialog.DoModal(nullptr);
    }
    case ShotTarget::kItemAdd: {
        CItemAdd dialog;
        return dialog.DoModal(nullptr);
    }
    case ShotTarget::kHandEdit: {
        CHandEditDlg dialog;
        return dialog.DoModal(nullptr);
    }
    case ShotTarget::kAddEntry: {
        CAddVirDlg dialog;
        return dialog.DoModal(nullptr);
    }
    case ShotTarget::kConsole:
        break;
    }
    return -1;
}

}  // namespace

int RunDialogShot(const ShotRequest& request) {
    // What the plug-in's process attach does: the suite's language module
    // becomes the resource module, the skin library is loaded.
    StartModule(::GetModuleHandleW(nullptr));
    if (!ResourceModule()) return Fail(request, L"the suite's language module cannot be loaded");

    std::wstring error;
    if (!InstallUserRules(request.userRulesPath, error)) return Fail(request, error);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    // The console's Load: working copies refreshed, rule store rebuilt.
    LoadedStore store;
    LoadSettings();

    DialogWatch watch(request.reportPath, request.seconds);
    if (!watch.Started()) return Fail(request, L"no timer for watching the dialog");
    if (OpenDialog(request.target) == -1) return Fail(request, L"the dialog cannot be created from its template");
    if (!watch.Reported()) return Fail(request, L"the dialog closed before it was shown");
    return 0;
}
