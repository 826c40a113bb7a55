#include "dialogs/class_add_dlg.h"

#include <cwchar>

#include "dialogs/framework/button_exchange.h"
#include "dialogs/framework/edit_fields.h"
#include "dialogs/framework/resource_ui.h"
#include "win/dll_module.h"
#include "win/ansi_field.h"
#include "rules/user_rights.h"

namespace {

// A fixed UTF-16 field that may fill its whole size without a terminator.
std::wstring FieldText(const utf16_t* field, size_t size) {
    return std::wstring(field, wcsnlen(field, size));
}

}  // namespace

INT_PTR CClassAdd::RunOn(RuleCategory* category) {
    m_pCategory = category;
    return DoModal(::GetActiveWindow());
}

int CClassAdd::ActionToChoice(int32_t action) {
    if (action == 0) return 0;
    if (action == 2) return 1;
    return 2;
}

int32_t CClassAdd::ChoiceToAction(int choice) {
    if (choice == 1) return 2;
    if (choice == 2) return 1;
    return 0;  // the first radio, or none checked
}

LRESULT CClassAdd::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    StyleControls();
    m_hName = GetDlgItem(IDC_CLASSADD_NAME);
    m_hDescription = GetDlgItem(IDC_CLASSADD_DESCRIPTION);
    m_hAdminOnly = GetDlgItem(IDC_CLASSADD_ADMIN_ONLY);

    LoadFieldsFromRecord();
    WriteFieldsToControls();

    ::EnableWindow(m_hName, TRUE);
    ::EnableWindow(m_hDescription, TRUE);
    LimitFieldChars(m_hName, kMaxNameChars);
    LimitFieldChars(m_hDescription, kMaxDescriptionChars);
    // Only a new category may be named; an existing one can be read only.
    if (m_strName.empty()) {
        ::SendMessageW(m_hName, EM_SETREADONLY, FALSE, 0);
        ::SendMessageW(m_hDescription, EM_SETREADONLY, FALSE, 0);
    }
    // Protecting a category, or lifting its protection, is for administrators.
    if (!IsUserAdmin()) ::EnableWindow(m_hAdminOnly, FALSE);
    return TRUE;
}

void CClassAdd::StyleControls() {
    IWindowStyle* style = CurrentWindowStyle();
    if (!style) return;
    style->StyleDialog(m_hWnd);
    style->StyleEdit(GetDlgItem(IDC_CLASSADD_NAME));
    style->StyleEdit(GetDlgItem(IDC_CLASSADD_DESCRIPTION));
    style->StylePushButton(GetDlgItem(IDOK));
    style->StylePushButton(GetDlgItem(IDCANCEL));
    for (int radio : {IDC_CLASSADD_ACTION_ASK, IDC_CLASSADD_ACTION_BLOCK, IDC_CLASSADD_ACTION_ALLOW})
        style->StyleCheckButton(GetDlgItem(radio));
    for (int box : {IDC_CLASSADD_MODE_200, IDC_CLASSADD_MODE_101, IDC_CLASSADD_MODE_002, IDC_CLASSADD_ADMIN_ONLY})
        style->StyleCheckBox(GetDlgItem(box));
}

void CClassAdd::LoadFieldsFromRecord() {
    if (!m_pCategory) return;
    const RuleCategory& record = *m_pCategory;
    m_strName = FieldText(record.wideName, sizeof(record.wideName) / sizeof(record.wideName[0]));
    m_strDescription =
        FieldText(record.wideDescription, sizeof(record.wideDescription) / sizeof(record.wideDescription[0]));
    m_nModeBit200 = (record.mode & kModeBit200) ? 1 : 0;
    m_nModeBits101 = (record.mode & (kModeBit100 | kModeBit001)) ? 1 : 0;
    m_nModeBit002 = (record.mode & kModeBit002) ? 1 : 0;
    m_nActionChoice = ActionToChoice(record.action);
    m_nAdminOnly = record.adminOnly;
    // A category must watch something: a new one starts with the usual option.
    if (!m_nModeBit200 && !m_nModeBits101 && !m_nModeBit002) m_nModeBit002 = 1;
}

bool CClassAdd::WriteFieldsToControls() { return DoDataExchange(false); }

LRESULT CClassAdd::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!DoDataExchange(true)) return 0;  // a text too long: beeped, focused

    if (m_strName.empty()) {
        ResourceMessageBox(m_hWnd, IDS_CLASSADD_NAME_EMPTY, nullptr, MB_OK);
        FocusField(m_hWnd, IDC_CLASSADD_NAME);
        return 0;
    }
    int32_t mode = 0;
    if (m_nModeBit200) mode |= kModeBit200;
    if (m_nModeBits101) mode |= kModeBits101;
    if (m_nModeBit002) mode |= kModeBit002;
    if (mode == 0) {
        ResourceMessageBox(m_hWnd, IDS_CLASSADD_NO_OPTION, nullptr, MB_OK);
        // The first of the option boxes, one of which has to be checked.
        FocusField(m_hWnd, IDC_CLASSADD_MODE_002);
        return 0;
    }
    EndDialog(WriteRecord(mode) ? 1 : 0);
    return 0;
}

bool CClassAdd::WriteRecord(int32_t mode) {
    if (!m_pCategory) return false;
    RuleCategory& record = *m_pCategory;
    record.mode = mode;
    record.action = ChoiceToAction(m_nActionChoice);
    WideToAnsiCut(m_strName.c_str(), record.name, sizeof(record.name));
    WideCopyCut(m_strName.c_str(), record.wideName, sizeof(record.wideName) / sizeof(record.wideName[0]));
    WideToAnsiCut(m_strDescription.c_str(), record.description, sizeof(record.description));
    WideCopyCut(m_strDescription.c_str(), record.wideDescription,
                sizeof(record.wideDescription) / sizeof(record.wideDescription[0]));
    record.adminOnly = m_nAdminOnly;
    return true;
}

LRESULT CClassAdd::OnTextChanged(WORD, WORD id, HWND edit, BOOL&) {
    const int fieldBytes = id == IDC_CLASSADD_NAME ? static_cast<int>(sizeof(RuleCategory::name))
                                          : static_cast<int>(sizeof(RuleCategory::description));
    // The terminator takes one byte of the field.
    CapFieldAnsiBytes(edit, fieldBytes - 1);
    return 0;
}

LRESULT CClassAdd::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(0);
    return 0;
}
