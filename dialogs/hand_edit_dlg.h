// The hand-edit dialog: lists the entries of the working copy of the user
// rule file, adds entries through the add-entry dialog and deletes sections.
// Every change goes to the working copy at once; the confirm button marks
// the settings as modified so that Apply copies them back.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs/framework/dialog_impl.h"
#include "dialogs/framework/screen_scale.h"
#include "lang/resource.h"

class CHandEditDlg : public CDialogImpl<CHandEditDlg> {
public:
    enum { IDD = IDD_HAND_EDIT };
    // Submenu of IDR_RULE_LIST_MENUS that serves the entry list.
    enum { kListMenuIndex = 2 };
    // Row index past which no more rows are listed.
    enum { kLastRowIndex = 10000 };

    CHandEditDlg();
    ~CHandEditDlg() override;

    // Reloads the list from the working copy of the user rule file.
    void FillEntryList();
    // Appends the row of an entry just written to the working copy; the
    // section is the one written, the other texts as they were typed.
    void AppendEntryRow(const std::wstring& section, const std::wstring& displayName, const std::wstring& keyPath,
                        const std::wstring& value);

    BEGIN_MSG_MAP(CHandEditDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
        COMMAND_HANDLER(IDC_HAND_EDIT_CONFIRM, BN_CLICKED, OnConfirm)
        COMMAND_HANDLER(IDC_HAND_EDIT_ADD, BN_CLICKED, OnAdd)
        COMMAND_HANDLER(IDC_HAND_EDIT_DELETE, BN_CLICKED, OnDelete)
        NOTIFY_HANDLER(IDC_HAND_EDIT_LIST, NM_RCLICK, OnListRightClick)
        NOTIFY_HANDLER(IDC_HAND_EDIT_LIST, LVN_KEYDOWN, OnListKeyDown)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    END_MSG_MAP()

    wchar_t m_szIniPath[MAX_PATH];
    HWND m_wndDelete = nullptr;
    HWND m_wndList = nullptr;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnConfirm(WORD, WORD, HWND, BOOL&);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnDelete(WORD, WORD, HWND, BOOL&);
    LRESULT OnListRightClick(int, LPNMHDR, BOOL&);
    LRESULT OnListKeyDown(int, LPNMHDR, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    // The list's menu at a point in screen coordinates; 0 when no row is
    // selected, so nothing was shown.
    LRESULT ShowListMenu(bool fromKeyboard);

    void InsertColumns();
    // The smallest window at which the three buttons fit in their row right
    // of the list's left edge and the list keeps room for a few rows.
    SIZE SmallestSize() const;
    int InsertRow(int index, const std::wstring& section, const std::wstring& displayName,
                  const std::wstring& keyPath, const std::wstring& value, std::string fileSection);
    void DeleteSection(const std::wstring& path, const std::string& section);
    void BuildIniPath();

    // The section, as the file names it, of each row in row order.  The
    // list shows section names cut to what a rule record keeps; deleting
    // needs the whole name.
    std::vector<std::string> m_rowSections;
    MinimumTrackSize m_minimumSize;
};

// The hand-edit dialog that exists, or null; the add-entry dialog appends
// its new row through it.
extern CHandEditDlg* g_pHandEditDlg;
