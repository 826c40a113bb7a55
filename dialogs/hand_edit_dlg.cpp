#include "dialogs/hand_edit_dlg.h"

#include <commctrl.h>

#include <cstring>

#include "dialogs/add_vir_dlg.h"
#include "dialogs/framework/report_list.h"
#include "dialogs/framework/resource_ui.h"
#include "win/dll_module.h"
#include "dialogs/modified_flag.h"
#include "win/platform.h"
#include "win/raii.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "rules/rule_store.h"
#include "win/ansi_text.h"
#include "rules/ini_rules.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"

CHandEditDlg* g_pHandEditDlg = nullptr;

namespace {

struct ColumnSpec {
    UINT headerId;
    int percent;
};
const ColumnSpec kColumns[] = {
    {CHandEditDlg::IDS_COLUMN_SECTION, 15},
    {CHandEditDlg::IDS_COLUMN_DISPLAY_NAME, 20},
    {CHandEditDlg::IDS_COLUMN_KEY_PATH, 35},
    {CHandEditDlg::IDS_COLUMN_VALUE, 30},
};

const int kCellChars = 260;

bool SameSection(const std::string& a, const std::string& b) {
    const std::wstring wa = ToWide(a.c_str()), wb = ToWide(b.c_str());
    // The profile functions match section names without regard to case.
    return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                  TRUE) == CSTR_EQUAL;
}

}  // namespace

CHandEditDlg::CHandEditDlg() {
    m_szIniPath[0] = 0;
    g_pHandEditDlg = this;
}

CHandEditDlg::~CHandEditDlg() {
    if (g_pHandEditDlg == this) g_pHandEditDlg = nullptr;
}

LRESULT CHandEditDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_wndList = GetDlgItem(IDC_ENTRY_LIST);
    ::SendMessageW(m_wndList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    m_wndDelete = GetDlgItem(IDC_DELETE);
    // The 9x list view draws the dialog font badly; it keeps the system font.
    if (IsWin9xPlatform()) ::SendMessageW(m_wndList, WM_SETFONT, 0, FALSE);

    if (IWindowStyle* style = CurrentWindowStyle()) {
        style->StyleDialog(m_hWnd);
        style->StylePushButton(GetDlgItem(IDC_ADD));
        style->StylePushButton(GetDlgItem(IDC_DELETE));
        style->StylePushButton(GetDlgItem(IDC_CONFIRM));
        style->StyleListView(GetDlgItem(IDC_ENTRY_LIST));
    }

    InsertColumns();
    FillEntryList();
    return TRUE;
}

void CHandEditDlg::InsertColumns() {
    RECT client = {};
    ::GetClientRect(m_wndList, &client);
    const int width = client.right - client.left;

    // A missing header string repeats the previous column's header.
    std::wstring header;
    for (int i = 0; i < static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0])); ++i) {
        std::wstring loaded = LoadResourceString(kColumns[i].headerId);
        if (!loaded.empty()) header = loaded;
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.fmt = LVCFMT_CENTER;
        column.cx = width * kColumns[i].percent / 100;
        column.pszText = const_cast<wchar_t*>(header.c_str());
        ::SendMessageW(m_wndList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void CHandEditDlg::BuildIniPath() { BuildReadableRuleFilePath(m_szIniPath, MAX_PATH); }

int CHandEditDlg::RowCount() const { return static_cast<int>(::SendMessageW(m_wndList, LVM_GETITEMCOUNT, 0, 0)); }

int CHandEditDlg::SelectedRow() const {
    return static_cast<int>(::SendMessageW(m_wndList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int CHandEditDlg::InsertRow(int index, const std::wstring& section, const std::wstring& displayName,
                            const std::wstring& keyPath, const std::wstring& value, const std::string& fileSection) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(section.c_str());
    const int row = static_cast<int>(::SendMessageW(m_wndList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    const std::wstring* cells[] = {&displayName, &keyPath, &value};
    for (int sub = 1; sub <= 3; ++sub) {
        LVITEMW cell = {};
        cell.iSubItem = sub;
        cell.pszText = const_cast<wchar_t*>(cells[sub - 1]->c_str());
        ::SendMessageW(m_wndList, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
    const size_t at = static_cast<size_t>(row) < m_rowSections.size() ? static_cast<size_t>(row) : m_rowSections.size();
    m_rowSections.insert(m_rowSections.begin() + static_cast<std::ptrdiff_t>(at), fileSection);
    return row;
}

void CHandEditDlg::FillEntryList() {
    ::SendMessageW(m_wndList, LVM_DELETEALLITEMS, 0, 0);
    m_rowSections.clear();
    BuildIniPath();

    // No settings folder means no file: an empty path would name the
    // system's own profile file.
    const std::string path = ToAnsi(m_szIniPath);
    // The list shows the last rows of a long file, as many as it holds; the
    // reader keeps no more, and gives each row's whole section name.
    IniReadLimits limits;
    limits.rules = kLastRowIndex + 1;
    std::vector<std::string> wholeNames;
    RuleEntryList entries(path.empty() ? nullptr : ReadIniRuleFile(path.c_str(), limits, &wholeNames));
    if (!entries) {
        ::EnableWindow(m_wndDelete, FALSE);
        return;
    }
    // A long file fills much faster without a repaint per row.
    ::SendMessageW(m_wndList, WM_SETREDRAW, FALSE, 0);
    int i = 0;
    for (const RuleEntry* entry = entries.get(); entry && i <= kLastRowIndex; entry = entry->next, ++i) {
        const size_t at = static_cast<size_t>(i);
        InsertRow(i, ToWide(entry->category), ToWide(entry->displayName), ToWide(entry->keyPath),
                  ToWide(entry->valueSpec), at < wholeNames.size() ? wholeNames[at] : std::string(entry->category));
    }
    ::SendMessageW(m_wndList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_wndList, nullptr, TRUE);
}

void CHandEditDlg::AppendEntryRow(const std::wstring& section, const std::wstring& displayName,
                                  const std::wstring& keyPath, const std::wstring& value) {
    if (!m_wndList) return;
    const int row = InsertRow(RowCount(), section, displayName, keyPath, value, ToAnsi(section.c_str()));
    // The new entry is the row the user sees next.
    if (row >= 0) SelectRow(row);
}

LRESULT CHandEditDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(0);
    return 0;
}

LRESULT CHandEditDlg::OnConfirm(WORD, WORD, HWND, BOOL&) {
    g_bModified = true;
    EndDialog(0);
    return 0;
}

LRESULT CHandEditDlg::OnAdd(WORD, WORD, HWND, BOOL&) {
    {
        CAddVirDlg addDialog;
        addDialog.DoModal(::GetActiveWindow(), 0);
    }
    if (RowCount() > 0) ::EnableWindow(m_wndDelete, TRUE);
    return 1;
}

LRESULT CHandEditDlg::OnDelete(WORD, WORD, HWND, BOOL&) {
    const int row = SelectedRow();
    if (row < 0) return 0;
    BuildIniPath();

    wchar_t shown[kCellChars] = {};
    LVITEMW cell = {};
    cell.iSubItem = 0;
    cell.pszText = shown;
    cell.cchTextMax = kCellChars;
    ::SendMessageW(m_wndList, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    const std::string section = static_cast<size_t>(row) < m_rowSections.size() ? m_rowSections[static_cast<size_t>(row)]
                                                                                  : ToAnsi(shown);
    // A file that could not be read whole at the load is left as it is.
    wchar_t editable[MAX_PATH];
    BuildEditableRuleFilePath(editable, MAX_PATH);
    if (editable[0]) DeleteSection(editable, section);

    // The list shows what the file holds now, with the row that took the
    // deleted one's place selected.  The focus goes there too: the Delete
    // button is disabled when no row is left, and a disabled button keeps
    // no focus.
    if (::GetFocus() == m_wndDelete) ::SetFocus(m_wndList);
    FillEntryList();
    const int rows = RowCount();
    if (rows > 0) SelectRow(row < rows ? row : rows - 1);
    return 1;
}

void CHandEditDlg::SelectRow(int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(m_wndList, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(m_wndList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void CHandEditDlg::DeleteSection(const std::wstring& path, const std::string& section) {
    // The whole section goes: its name line and every rule in it.  The
    // profile functions take names without regard to case but remove one
    // section a call, so each spelling of the name in the file costs a call.
    const std::vector<char> sections = ReadProfileList(ToAnsi(path.c_str()).c_str());
    int spellings = 0;
    for (const char* name = sections.data(); *name; name += std::strlen(name) + 1)
        if (SameSection(name, section)) ++spellings;
    const std::wstring wideSection = ToWide(section.c_str());
    for (int i = 0; i < spellings || i == 0; ++i)
        ::WritePrivateProfileStringW(wideSection.c_str(), nullptr, nullptr, path.c_str());
}

LRESULT CHandEditDlg::OnListRightClick(int, LPNMHDR, BOOL&) { return ShowListMenu(false); }

LRESULT CHandEditDlg::ShowListMenu(bool fromKeyboard) {
    if (SelectedRow() < 0) return 0;
    // From the keyboard the menu opens under the row it is for.
    POINT at = {};
    if (fromKeyboard)
        at = report_list::PointUnderRow(m_wndList, report_list::MenuRow(m_wndList));
    else
        ::GetCursorPos(&at);
    TrackResourceMenuAt(m_hWnd, IDR_CONTEXT_MENUS, kListMenuIndex, at);
    return 1;
}

// The Delete key deletes the selected entry as the Delete button does; the
// Applications key opens the list's context menu.
LRESULT CHandEditDlg::OnListKeyDown(int, LPNMHDR header, BOOL&) {
    BOOL handled = TRUE;
    switch (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey) {
    case VK_DELETE: OnDelete(BN_CLICKED, IDC_DELETE, m_wndDelete, handled); break;
    case VK_APPS: ShowListMenu(true); break;
    default: break;
    }
    return 0;
}

// Shift+F10 arrives with the position -1; a right click was answered by
// NM_RCLICK already, so what comes from the mouse is left alone.
LRESULT CHandEditDlg::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (lParam != -1 || reinterpret_cast<HWND>(wParam) != m_wndList) {
        handled = FALSE;
        return 0;
    }
    ShowListMenu(true);
    return 0;
}

LRESULT CHandEditDlg::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    HWND confirm = GetDlgItem(IDC_CONFIRM);
    HWND remove = GetDlgItem(IDC_DELETE);
    HWND add = GetDlgItem(IDC_ADD);
    HWND list = GetDlgItem(IDC_ENTRY_LIST);
    // Sizing during creation comes before the controls exist.
    if (!confirm || !remove || !add || !list) return 0;

    RECT frame = {}, confirmRect = {}, removeRect = {};
    ::GetWindowRect(m_hWnd, &frame);
    ::GetWindowRect(confirm, &confirmRect);
    ::GetWindowRect(remove, &removeRect);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int confirmWidth = confirmRect.right - confirmRect.left;
    const int confirmHeight = confirmRect.bottom - confirmRect.top;
    const int removeWidth = removeRect.right - removeRect.left;

    const UINT keepPlace = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    const UINT keepSize = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(list, nullptr, 0, 0, width - 28, height - 110, keepPlace);
    const int y = height - confirmHeight - 50;
    ::SetWindowPos(confirm, nullptr, width - 100, y, 0, 0, keepSize);
    ::SetWindowPos(remove, nullptr, width - confirmWidth - 120, y, 0, 0, keepSize);
    ::SetWindowPos(add, nullptr, width - confirmWidth - removeWidth - 140, y, 0, 0, keepSize);
    return 0;
}
