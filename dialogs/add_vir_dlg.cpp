#include "dialogs/add_vir_dlg.h"

#include "dialogs/framework/edit_fields.h"
#include "dialogs/hand_edit_dlg.h"
#include "win/dll_module.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "rules/rule_store.h"
#include "win/ansi_text.h"
#include "rules/user_rights.h"

namespace {

bool HasLineBreak(const std::wstring& text) { return text.find_first_of(L"\r\n") != std::wstring::npos; }

}  // namespace

std::wstring ComposeKeyPath(const std::wstring& base, const std::wstring& subKey) {
    std::wstring path = base;
    if (path.empty() || (path.back() != L'/' && path.back() != L'\\')) path += L'\\';
    return path + subKey;
}

CAddVirDlg::CAddVirDlg() { m_szIniPath[0] = 0; }

CAddVirDlg::~CAddVirDlg() = default;

LRESULT CAddVirDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    StyleControls();
    BuildEditableRuleFilePath(m_szIniPath, MAX_PATH);
    m_wndPresetCombo = GetDlgItem(IDC_ADD_ENTRY_PRESET_LIST);
    LoadPresets();
    // Room for the longest text each field may take; the value one more.
    for (int id : {IDC_ADD_ENTRY_SECTION, IDC_ADD_ENTRY_NAME, IDC_ADD_ENTRY_SUB_KEY, IDC_ADD_ENTRY_CUSTOM_PATH})
        LimitFieldChars(GetDlgItem(id), kTextChars - 1);
    LimitFieldChars(GetDlgItem(IDC_ADD_ENTRY_VALUE), kTextChars);
    // The template decides which of the combo box and the path edit starts
    // enabled; it matches preset mode.
    m_nBaseChoice = kPresetBase;
    DDX_Radio(IDC_ADD_ENTRY_PRESET_MODE, m_nBaseChoice, false);
    return TRUE;
}

void CAddVirDlg::StyleControls() {
    IWindowStyle* style = CurrentWindowStyle();
    if (!style) return;
    style->StyleDialog(m_hWnd);
    for (int id : {IDC_ADD_ENTRY_CONFIRM, IDCANCEL}) style->StylePushButton(GetDlgItem(id));
    for (int id : {IDC_ADD_ENTRY_SECTION, IDC_ADD_ENTRY_NAME, IDC_ADD_ENTRY_CUSTOM_PATH, IDC_ADD_ENTRY_SUB_KEY,
                   IDC_ADD_ENTRY_VALUE})
        style->StyleEdit(GetDlgItem(id));
    for (int id : {IDC_ADD_ENTRY_PRESET_MODE, IDC_ADD_ENTRY_CUSTOM_MODE}) style->StyleCheckButton(GetDlgItem(id));
    style->StyleComboBox(GetDlgItem(IDC_ADD_ENTRY_PRESET_LIST));
}

void CAddVirDlg::LoadPresets() {
    // A missing string repeats the text of the preset before it.
    std::wstring name, path;
    for (int k = 0; k < kPresetCount; ++k) {
        std::wstring loaded = LoadResourceString(IDS_PRESET_0_NAME + 2 * k);
        if (!loaded.empty()) name = loaded;
        ::SendMessageW(m_wndPresetCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        loaded = LoadResourceString(IDS_PRESET_0_PATH + 2 * k);
        if (!loaded.empty()) path = loaded;
        m_strPresetPaths[k] = path;
    }
}

void CAddVirDlg::SelectPresetMode() {
    ::EnableWindow(GetDlgItem(IDC_ADD_ENTRY_PRESET_LIST), TRUE);
    ::EnableWindow(GetDlgItem(IDC_ADD_ENTRY_CUSTOM_PATH), FALSE);
}

void CAddVirDlg::SelectCustomMode() {
    ::EnableWindow(GetDlgItem(IDC_ADD_ENTRY_PRESET_LIST), FALSE);
    ::EnableWindow(GetDlgItem(IDC_ADD_ENTRY_CUSTOM_PATH), TRUE);
}

LRESULT CAddVirDlg::OnPresetModeClicked(WORD, WORD, HWND, BOOL&) {
    SelectPresetMode();
    return 0;
}

LRESULT CAddVirDlg::OnCustomModeClicked(WORD, WORD, HWND, BOOL&) {
    SelectCustomMode();
    return 0;
}

LRESULT CAddVirDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(1);
    return 0;
}

void CAddVirDlg::Complain(UINT messageId, int focusId) {
    ShowFieldMessage(m_hWnd, messageId, IDS_RULE_MESSAGE_CAPTION, focusId);
}

bool CAddVirDlg::ChooseBasePath(std::wstring& base) {
    if (m_nBaseChoice == kPresetBase) {
        const int index = static_cast<int>(::SendMessageW(m_wndPresetCombo, CB_GETCURSEL, 0, 0));
        // A preset without a base key cannot place the entry anywhere.
        if (index < 0 || index >= kPresetCount || m_strPresetPaths[index].empty()) {
            Complain(IDS_ADD_ENTRY_NO_PRESET, IDC_ADD_ENTRY_PRESET_LIST);
            return false;
        }
        base = m_strPresetPaths[index];
        return true;
    }
    if (m_strCustomPath.empty()) {
        Complain(IDS_ADD_ENTRY_PATH_EMPTY, IDC_ADD_ENTRY_CUSTOM_PATH);
        return false;
    }
    if (m_strCustomPath.size() >= kTextChars) {
        Complain(IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_CUSTOM_PATH);
        return false;
    }
    if (HasLineBreak(m_strCustomPath) || m_strCustomPath.find(L'=') != std::wstring::npos) {
        Complain(IDS_ADD_ENTRY_KEY_BAD, IDC_ADD_ENTRY_CUSTOM_PATH);
        return false;
    }
    if (!IsValidKeyPath(m_strCustomPath.c_str())) {
        Complain(IDS_KEY_PATH_INVALID, IDC_ADD_ENTRY_CUSTOM_PATH);
        return false;
    }
    base = m_strCustomPath;
    return true;
}

bool CAddVirDlg::CheckFields() {
    if (m_strSection.empty()) {
        Complain(IDS_ADD_ENTRY_SECTION_EMPTY, IDC_ADD_ENTRY_SECTION);
        return false;
    }
    if (m_strSection.size() >= kTextChars) {
        Complain(IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_SECTION);
        return false;
    }
    if (m_strName.size() >= kTextChars) {
        Complain(IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_NAME);
        return false;
    }
    if (m_strSubKey.empty()) {
        Complain(IDS_ADD_ENTRY_SUB_KEY_EMPTY, IDC_ADD_ENTRY_SUB_KEY);
        return false;
    }
    if (m_strSubKey.size() >= kTextChars) {
        Complain(IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_SUB_KEY);
        return false;
    }
    // The value may fill all 260 characters.
    if (m_strValue.size() > kTextChars) {
        Complain(IDS_ADD_ENTRY_TOO_LONG, IDC_ADD_ENTRY_VALUE);
        return false;
    }
    return true;
}

bool CAddVirDlg::CheckLineSafety() {
    // "[name]" ends at the first "]"; a line that starts with "[" or ";"
    // reads as a section or a comment.
    if (HasLineBreak(m_strSection) || m_strSection.find(L']') != std::wstring::npos || m_strSection[0] == L'[' ||
        m_strSection[0] == L';') {
        Complain(IDS_ADD_ENTRY_SECTION_BAD, IDC_ADD_ENTRY_SECTION);
        return false;
    }
    if (HasLineBreak(m_strName)) {
        Complain(IDS_ADD_ENTRY_LINE_BREAK, IDC_ADD_ENTRY_NAME);
        return false;
    }
    // "key=value": the key ends at the first "=".
    if (HasLineBreak(m_strSubKey) || m_strSubKey.find(L'=') != std::wstring::npos) {
        Complain(IDS_ADD_ENTRY_KEY_BAD, IDC_ADD_ENTRY_SUB_KEY);
        return false;
    }
    if (HasLineBreak(m_strValue)) {
        Complain(IDS_ADD_ENTRY_LINE_BREAK, IDC_ADD_ENTRY_VALUE);
        return false;
    }
    return true;
}

bool CAddVirDlg::WriteEntry(const std::wstring& keyPath) {
    const std::string path = ToAnsi(m_szIniPath);
    // Without a settings file there is nothing to write to.
    if (path.empty()) return false;
    const std::string section = ToAnsi(m_strSection.c_str());
    return ::WritePrivateProfileStringA(section.c_str(), "name", ToAnsi(m_strName.c_str()).c_str(), path.c_str()) &&
           ::WritePrivateProfileStringA(section.c_str(), ToAnsi(keyPath.c_str()).c_str(),
                                        ToAnsi(m_strValue.c_str()).c_str(), path.c_str());
}

LRESULT CAddVirDlg::OnConfirm(WORD, WORD, HWND, BOOL&) {
    // A control that cannot be read beeps and takes the focus; the checks
    // below still run on what was read.
    DoDataExchange(true);

    std::wstring base;
    if (!ChooseBasePath(base)) return 0;
    if (!CheckFields()) return 0;
    if (!CheckLineSafety()) return 0;

    const std::wstring keyPath = ComposeKeyPath(base, m_strSubKey);
    // An entry that did not reach the file gets no row: the list shows only
    // what the file holds.
    if (!WriteEntry(keyPath)) {
        Complain(IDS_ADD_ENTRY_CANNOT_WRITE, 0);
        return 0;
    }
    if (g_pHandEditDlg) g_pHandEditDlg->AppendEntryRow(m_strSection, m_strName, keyPath, m_strValue);
    EndDialog(1);
    return 0;
}
