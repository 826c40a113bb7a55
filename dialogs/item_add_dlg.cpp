#include "dialogs/item_add_dlg.h"

#include "core/root_names.h"
#include "dialogs/framework/edit_fields.h"
#include "dialogs/framework/resource_ui.h"
#include "core/rule_records.h"
#include "win/dll_module.h"
#include "win/platform.h"
#include "win/resource_module.h"
#include "win/ansi_text.h"
#include "rules/monitor_notify.h"
#include "rules/rule_store.h"
#include "rules/user_rights.h"

LRESULT CItemAdd::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    StyleControls();
    m_hRootBox = GetDlgItem(IDC_ITEMADD_ROOT);
    FillRootBox();
    ::SendMessageW(m_hRootBox, CB_SETCURSEL, 0, 0);
    LimitFieldChars(GetDlgItem(IDC_ITEMADD_KEY_PATH), kMaxTextChars);
    LimitFieldChars(GetDlgItem(IDC_ITEMADD_NAME), kMaxTextChars);
    return TRUE;
}

void CItemAdd::StyleControls() {
    IWindowStyle* style = CurrentWindowStyle();
    if (!style) return;
    style->StyleDialog(m_hWnd);
    style->StylePushButton(GetDlgItem(IDOK));
    style->StylePushButton(GetDlgItem(IDCANCEL));
    style->StyleComboBox(GetDlgItem(IDC_ITEMADD_ROOT));
    style->StyleEdit(GetDlgItem(IDC_ITEMADD_KEY_PATH));
    style->StyleEdit(GetDlgItem(IDC_ITEMADD_NAME));
}

void CItemAdd::FillRootBox() {
    auto add = [this](const RegistryRootName& row) {
        const std::wstring name = ToWide(row.longName);
        ::SendMessageW(m_hRootBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    };
    // Roots whose keys only administrators may change are not offered to
    // other users.
    for (uint32_t row = 0; row < kNtRootRows; ++row)
        if (IsUserAdmin() || !RootNeedsAdmin(kRegistryRoots[row].root)) add(kRegistryRoots[row]);
    if (IsWin9xPlatform()) {
        for (const RegistryRootName& row : kRegistryRoots)
            if (row.root == kHkeyDynData) add(row);
    }
}

LRESULT CItemAdd::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!DoDataExchange(true)) return 0;  // a text too long: beeped, focused
    if (m_strKeyPath.empty()) {
        ShowMessage(IDS_ITEMADD_KEY_PATH_EMPTY, IDC_ITEMADD_KEY_PATH);
        return 0;
    }
    if (m_strName.empty()) {
        ShowMessage(IDS_ITEMADD_NAME_EMPTY, IDC_ITEMADD_NAME);
        return 0;
    }

    const int rootLength = ::GetWindowTextLengthW(m_hRootBox);
    m_strRootName.assign(static_cast<size_t>(rootLength) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hRootBox, &m_strRootName[0], rootLength + 1);
    m_strRootName.resize(copied > 0 ? static_cast<size_t>(copied) : 0);

    const std::wstring fullPath = m_strRootName + L"\\" + m_strKeyPath;
    if (!IsValidKeyPath(fullPath.c_str())) {
        ShowMessage(IDS_KEY_PATH_INVALID, IDC_ITEMADD_KEY_PATH);
        return 0;
    }
    m_dwRoot = RootFromLongName(ToAnsi(m_strRootName.c_str()).c_str());

    // The monitor hears of the change now; the editor adds the item after
    // this dialog has closed and saves once more.
    SaveRuleStore();
    NotifyRegistryMonitor();
    EndDialog(1);
    return 0;
}

LRESULT CItemAdd::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(0);
    return 0;
}

void CItemAdd::ShowMessage(UINT textId, int fieldId) {
    ShowFieldMessage(m_hWnd, textId, IDS_RULE_MESSAGE_CAPTION, fieldId);
}

LRESULT CItemAdd::OnTextChanged(WORD, WORD id, HWND edit, BOOL&) {
    const int fieldBytes = id == IDC_ITEMADD_KEY_PATH ? static_cast<int>(sizeof(RuleItem::keyPath))
                                              : static_cast<int>(sizeof(RuleItem::name));
    // The terminator takes one byte of the field.
    CapFieldAnsiBytes(edit, fieldBytes - 1);
    return 0;
}
