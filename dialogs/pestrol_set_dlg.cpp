#include "dialogs/pestrol_set_dlg.h"

#include <memory>
#include <new>

#include "dialogs/expert_dlg.h"
#include "dialogs/hand_edit_dlg.h"
#include "win/dll_module.h"

void CPestrolSetDlg::Apply() {
    if (m_pfnApplySettings) m_pfnApplySettings();
}

LRESULT CPestrolSetDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (IWindowStyle* style = CurrentWindowStyle()) {
        style->StyleDialog(m_hWnd);
        style->StylePushButton(GetDlgItem(IDC_EXPERT_RULES));
        style->StylePushButton(GetDlgItem(IDC_EDIT_USER_RULES));
    }
    return TRUE;  // the dialog manager sets the default focus
}

LRESULT CPestrolSetDlg::OnHandEdit(WORD, WORD, HWND, BOOL&) {
    std::unique_ptr<CHandEditDlg> editor(new (std::nothrow) CHandEditDlg());
    if (editor) editor->DoModal(m_hWnd, 0);
    return 0;
}

LRESULT CPestrolSetDlg::OnExpert(WORD, WORD, HWND, BOOL&) {
    std::unique_ptr<CExpertDlg> editor(new (std::nothrow) CExpertDlg());
    if (editor) editor->DoModal(m_hWnd, 0);
    return 0;
}
