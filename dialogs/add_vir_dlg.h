// The add-entry dialog: one entry of the user rule file, made of a section
// name, a display name, a base key (a preset or a typed path), a sub-key and
// a value.  Confirming writes it to the working copy and appends its row to
// the hand-edit dialog's list.
#pragma once
#include <windows.h>

#include <string>

#include "dialogs/framework/data_exchange.h"
#include "dialogs/framework/dialog_impl.h"

class CAddVirDlg : public CDialogImpl<CAddVirDlg>, public CWinDataExchange<CAddVirDlg> {
public:
    enum { IDD = 162 };
    enum {
        IDC_PRESET_MODE = 1000,
        IDC_PRESET_COMBO = 1002,
        IDC_VALUE = 1005,
        IDC_SECTION = 1006,
        IDC_DISPLAY_NAME = 1007,
        IDC_CONFIRM = 1037,
        IDC_CUSTOM_PATH = 1044,
        IDC_SUB_KEY = 1045,
        IDC_CUSTOM_MODE = 1046,
    };
    enum {
        IDS_CAPTION = 146,
        IDS_SECTION_EMPTY = 155,
        IDS_SUB_KEY_EMPTY = 156,
        IDS_CUSTOM_PATH_EMPTY = 194,
        IDS_CUSTOM_PATH_INVALID = 195,
        IDS_TEXT_TOO_LONG = 196,
        IDS_NO_PRESET = 197,
        IDS_CANNOT_WRITE = 198,
        IDS_SECTION_BAD = 199,
        IDS_KEY_BAD = 200,
        IDS_LINE_BREAK = 201,
        IDS_FIRST_PRESET = 2000,  // name of preset k: 2000 + 2k, its base key: 2001 + 2k
    };
    enum { kPresetCount = 10 };
    // Longest text a field may hold; the value may hold one character more.
    enum { kTextChars = 260 };

    CAddVirDlg();
    ~CAddVirDlg() override;

    // Runs the dialog; 1 whether the entry was added or not.
    INT_PTR DoModal(HWND owner = ::GetActiveWindow(), LPARAM param = 0);

    BEGIN_MSG_MAP(CAddVirDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_CONFIRM, OnConfirm)
        COMMAND_HANDLER(IDC_PRESET_MODE, BN_CLICKED, OnPresetModeClicked)
        COMMAND_HANDLER(IDC_CUSTOM_MODE, BN_CLICKED, OnCustomModeClicked)
    END_MSG_MAP()

    BEGIN_DDX_MAP(CAddVirDlg)
        DDX_TEXT_LEN(IDC_SECTION, m_strSection, kTextChars)
        DDX_TEXT_LEN(IDC_DISPLAY_NAME, m_strName, kTextChars)
        DDX_TEXT_LEN(IDC_SUB_KEY, m_strSubKey, kTextChars)
        DDX_TEXT_LEN(IDC_VALUE, m_strValue, kTextChars)
        DDX_TEXT_LEN(IDC_CUSTOM_PATH, m_strCustomPath, kTextChars)
    END_DDX_MAP()

    void SelectPresetMode();
    void SelectCustomMode();

    wchar_t m_szIniPath[MAX_PATH];
    HWND m_wndPresetCombo = nullptr;
    std::wstring m_strPresetPaths[kPresetCount];
    HWND m_wndPresetRadio = nullptr;
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
