// The add-category dialog: shows one rule category record, lets the user
// choose its options, action and protection, and on OK writes them back into
// the same record.  A new category (an all-zero record) may also be named
// and described; an existing one keeps its name and description.
#pragma once
#include <windows.h>

#include <string>

#include "core/rule_records.h"
#include "dialogs/framework/data_exchange.h"
#include "dialogs/framework/dialog_impl.h"
#include "lang/resource.h"

class CClassAdd : public CDialogImpl<CClassAdd>, public CWinDataExchange<CClassAdd> {
public:
    enum { IDD = IDD_ADD_CATEGORY };
    enum { kMaxNameChars = 60, kMaxDescriptionChars = 500 };
    // Option bits of RuleCategory::mode behind the three check boxes.
    enum : int32_t { kModeBit200 = 0x200, kModeBits101 = 0x101, kModeBit100 = 0x100, kModeBit001 = 0x001,
                     kModeBit002 = 0x002 };

    // The record to show and fill; set before DoModal.
    RuleCategory* m_pCategory = nullptr;

    std::wstring m_strName;
    std::wstring m_strDescription;
    int m_nModeBit200 = 0;
    int m_nModeBits101 = 0;
    int m_nModeBit002 = 1;
    int m_nActionChoice = 0;  // radio index; -1 when none is checked
    HWND m_hName = nullptr;
    HWND m_hDescription = nullptr;
    HWND m_hAdminOnly = nullptr;
    int m_nAdminOnly = 0;

    // Runs the dialog on `category` with the active window as owner: 1 when
    // the record was written, 0 when it was left alone.
    INT_PTR RunOn(RuleCategory* category);

    BEGIN_MSG_MAP(CClassAdd)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDOK, BN_CLICKED, OnOK)
        COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnCancel)
        COMMAND_HANDLER(IDC_CLASSADD_NAME, EN_CHANGE, OnTextChanged)
        COMMAND_HANDLER(IDC_CLASSADD_DESCRIPTION, EN_CHANGE, OnTextChanged)
    END_MSG_MAP()

    BEGIN_DDX_MAP(CClassAdd)
        DDX_TEXT_LEN(IDC_CLASSADD_NAME, m_strName, kMaxNameChars)
        DDX_TEXT_LEN(IDC_CLASSADD_DESCRIPTION, m_strDescription, kMaxDescriptionChars)
        DDX_CHECK(IDC_CLASSADD_MODE_200, m_nModeBit200)
        DDX_CHECK(IDC_CLASSADD_MODE_101, m_nModeBits101)
        DDX_CHECK(IDC_CLASSADD_MODE_002, m_nModeBit002)
        DDX_RADIO(IDC_CLASSADD_ACTION_ASK, m_nActionChoice)
        DDX_CHECK(IDC_CLASSADD_ADMIN_ONLY, m_nAdminOnly)
    END_DDX_MAP()

    // The radio index that shows an action, and the action a radio index
    // stands for (the radios run 0, 2, 1 in action terms).
    static int ActionToChoice(int32_t action);
    static int32_t ChoiceToAction(int choice);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    // Keeps a typed text within the ANSI field of the record.
    LRESULT OnTextChanged(WORD, WORD, HWND, BOOL&);

    void StyleControls();
    void LoadFieldsFromRecord();
    // False when a text could not be written (that edit box has the focus).
    bool WriteFieldsToControls();
    bool WriteRecord(int32_t mode);
};
