// The main settings page: a modeless child dialog inside the console's
// options window whose two buttons open the editors.
#pragma once
#include "dialogs/framework/dialog_impl.h"
#include "lang/resource.h"

class CPestrolSetDlg : public CDialogImpl<CPestrolSetDlg> {
public:
    enum { IDD = IDD_SETTINGS_PAGE };

    // `applySettings` is what Apply runs: the plug-in's copy of the working
    // copies over the real files, which lies above the dialogs.
    explicit CPestrolSetDlg(void (*applySettings)() = nullptr) : m_pfnApplySettings(applySettings) {}

    // Copies the working copies over the real files and signals the
    // component, once an editor has been confirmed.
    void Apply();

    BEGIN_MSG_MAP(CPestrolSetDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_HANDLER(IDC_EDIT_USER_RULES, BN_CLICKED, OnHandEdit)
        COMMAND_HANDLER(IDC_EXPERT_RULES, BN_CLICKED, OnExpert)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    // Each click runs a fresh editor object modally over the page.
    LRESULT OnHandEdit(WORD, WORD, HWND, BOOL&);
    LRESULT OnExpert(WORD, WORD, HWND, BOOL&);

    void (*m_pfnApplySettings)();
};
