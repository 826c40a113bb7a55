// The main settings page: a modeless child dialog inside the console's
// options window whose two buttons open the editors.
#pragma once
#include "dialogs/framework/dialog_impl.h"

class CPestrolSetDlg : public CDialogImpl<CPestrolSetDlg> {
public:
    enum { IDD = 102 };
    enum { IDC_EXPERT = 1001, IDC_HAND_EDIT = 1002 };

    // Copies the working copies over the real files and signals the
    // component, once an editor has been confirmed.
    void Apply();

    BEGIN_MSG_MAP(CPestrolSetDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
};
