#include "dialogs/pestrol_set_dlg.h"

#include "plugin/dll_module.h"
#include "plugin/settings_transfer.h"

void CPestrolSetDlg::Apply() { ApplyWorkingCopies(); }

LRESULT CPestrolSetDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (IWindowStyle* style = CurrentWindowStyle()) {
        style->StyleDialog(m_hWnd);
        style->StylePushButton(GetDlgItem(IDC_EXPERT));
        style->StylePushButton(GetDlgItem(IDC_HAND_EDIT));
    }
    return TRUE;  // the dialog manager sets the default focus
}
