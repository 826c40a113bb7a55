// The add-entry dialog: one entry of the user rule file, made of a section
// name, a display name, a base key (a preset or a typed path), a sub-key and
// a value.  Confirming writes it to the working copy and appends its row to
// the hand-edit dialog's list.
#pragma once
#include <windows.h>

#include <string>

#include "dialogs/framework/data_exchange.h"
#include "dialogs/framework/dialog_impl.h"
#include "lang/resource.h"

class CAddVirDlg : public CDialogImpl<CAddVirDlg>, public CWinDataExchange<CAddVirDlg> {
public:
    enum { IDD = IDD_ADD_ENTRY };
    enum { kPresetCount = 10 };
    // Longest text a field may hold; the value may hold one character more.
    enum { kTextChars = 260 };

    CAddVirDlg();
    ~CAddVirDlg() override;

    // DoModal answers 1 whether the entry was added or not (both buttons
    // and closing end the dialog with 1), -1 when no dialog could be made.

    BEGIN_MSG_MAP(CAddVirDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
        COMMAND_HANDLER(IDC_ADD_ENTRY_CONFIRM, BN_CLICKED, OnConfirm)
        COMMAND_HANDLER(IDC_ADD_ENTRY_PRESET_MODE, BN_CLICKED, OnPresetModeClicked)
        COMMAND_HANDLER(IDC_ADD_ENTRY_CUSTOM_MODE, BN_CLICKED, OnCustomModeClicked)
    END_MSG_MAP()

    BEGIN_DDX_MAP(CAddVirDlg)
        DDX_RADIO(IDC_ADD_ENTRY_PRESET_MODE, m_nBaseChoice)
        DDX_TEXT_LEN(IDC_ADD_ENTRY_SECTION, m_strSection, kTextChars)
        DDX_TEXT_LEN(IDC_ADD_ENTRY_NAME, m_strName, kTextChars)
        DDX_TEXT_LEN(IDC_ADD_ENTRY_SUB_KEY, m_strSubKey, kTextChars)
        DDX_TEXT_LEN(IDC_ADD_ENTRY_VALUE, m_strValue, kTextChars)
        DDX_TEXT_LEN(IDC_ADD_ENTRY_CUSTOM_PATH, m_strCustomPath, kTextChars)
    END_DDX_MAP()

    void SelectPresetMode();
    void SelectCustomMode();

    wchar_t m_szIniPath[MAX_PATH];
    HWND m_wndPresetCombo = nullptr;
    std::wstring m_strPresetPaths[kPresetCount];
    // Where the base key comes from: kPresetBase (the dialog starts there)
    // or the typed path.
    enum { kPresetBase = 0, kCustomBase = 1 };
    int m_nBaseChoice = kPresetBase;
    std::wstring m_strSection;
    std::wstring m_strName;
    std::wstring m_strSubKey;
    std::wstring m_strValue;
    std::wstring m_strCustomPath;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnConfirm(WORD, WORD, HWND, BOOL&);
    LRESULT OnPresetModeClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnCustomModeClicked(WORD, WORD, HWND, BOOL&);

    void StyleControls();
    void LoadPresets();
    // The base key the entry goes under; false after telling the user why not.
    bool ChooseBasePath(std::wstring& base);
    // False after telling the user which field is wrong.
    bool CheckFields();
    // Message box with the dialog's caption; then `focusId`, when it is not
    // 0, gets the focus with its text selected.
    void Complain(UINT messageId, int focusId);
    // False after telling the user that a text would break the rule file's
    // lines (a section ended early, a key ended at "=", a line split).
    bool CheckLineSafety();
    bool WriteEntry(const std::wstring& keyPath);
};

// The base key path joined with the sub-key: a backslash between them unless
// the base already ends with one or with "/".
std::wstring ComposeKeyPath(const std::wstring& base, const std::wstring& subKey);
