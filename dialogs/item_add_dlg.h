// The add-item dialog: the user picks a registry root, types a key path
// under it and a name.  On OK the input has been checked (including that the
// key path is acceptable for the root) and is left in the fields for the
// expert rule editor, which builds the item.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "dialogs/framework/data_exchange.h"
#include "dialogs/framework/dialog_impl.h"
#include "lang/resource.h"

class CItemAdd : public CDialogImpl<CItemAdd>, public CWinDataExchange<CItemAdd> {
public:
    enum { IDD = IDD_ADD_ITEM };
    enum { kMaxTextChars = 250 };
    // Roots offered on the NT platform: the first rows of the root table.
    enum { kNtRootRows = 5 };

    std::wstring m_strRootName;  // e.g. HKEY_CURRENT_USER
    uint32_t m_dwRoot = 0;       // its handle value; set at OK
    HWND m_hRootBox = nullptr;
    std::wstring m_strKeyPath;   // below the root, without the root's backslash
    std::wstring m_strName;

    BEGIN_MSG_MAP(CItemAdd)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDOK, BN_CLICKED, OnOK)
        COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
        COMMAND_HANDLER(IDC_ITEMADD_KEY_PATH, EN_CHANGE, OnTextChanged)
        COMMAND_HANDLER(IDC_ITEMADD_NAME, EN_CHANGE, OnTextChanged)
    END_MSG_MAP()

    BEGIN_DDX_MAP(CItemAdd)
        DDX_TEXT_LEN(IDC_ITEMADD_KEY_PATH, m_strKeyPath, kMaxTextChars)
        DDX_TEXT_LEN(IDC_ITEMADD_NAME, m_strName, kMaxTextChars)
    END_DDX_MAP()

protected:
    virtual LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

private:
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    // Keeps a typed text within the ANSI field of the item record.
    LRESULT OnTextChanged(WORD, WORD, HWND, BOOL&);

    void StyleControls();
    void FillRootBox();
    // The message box about edit box `fieldId`, which then has the focus
    // with its text selected.
    void ShowMessage(UINT textId, int fieldId);
};
