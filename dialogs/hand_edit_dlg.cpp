#include "dialogs/hand_edit_dlg.h"

#include <commctrl.h>

#include <cstring>

#include "dialogs/add_vir_dlg.h"
#include "dialogs/framework/report_list.h"
#include "dialogs/framework/resource_ui.h"
#include "win/dll_module.h"
#include "dialogs/modified_flag.h"
#include "win/platform.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "rules/rule_store.h"
#include "win/ansi_text.h"
#include "rules/ini_rules.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"

CHandEditDlg* g_pHandEditDlg = nullptr;

namespace {

struct ColumnLayout {
    UINT headerId;
    int percent;
};
const ColumnLayout kColumns[] = {
    {IDS_HAND_EDIT_COLUMN_SECTION, 15},
    {IDS_HAND_EDIT_COLUMN_NAME, 20},
    {IDS_HAND_EDIT_COLUMN_KEY_PATH, 35},
    {IDS_HAND_EDIT_COLUMN_VALUE, 30},
};

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
    m_wndList = GetDlgItem(IDC_HAND_EDIT_LIST);
    ::SendMessageW(m_wndList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    m_wndDelete = GetDlgItem(IDC_HAND_EDIT_DELETE);
    // The 9x list view draws the dialog font badly; it keeps the system font.
    if (IsWin9xPlatform()) ::SendMessageW(m_wndList, WM_SETFONT, 0, FALSE);

    if (IWindowStyle* style = CurrentWindowStyle()) {
        style->StyleDialog(m_hWnd);
        style->StylePushButton(GetDlgItem(IDC_HAND_EDIT_ADD));
        style->StylePushButton(GetDlgItem(IDC_HAND_EDIT_DELETE));
        style->StylePushButton(GetDlgItem(IDC_HAND_EDIT_CONFIRM));
        style->StyleListView(GetDlgItem(IDC_HAND_EDIT_LIST));
    }
    // Sized before the columns take their widths from the list.
    m_minimumSize.Set(SmallestSize());
    FitDialogToWorkArea(m_hWnd, m_minimumSize.Get());

    InsertColumns();
    FillEntryList();
    return TRUE;
}

void CHandEditDlg::InsertColumns() {
    const int width = report_list::ClientWidth(m_wndList);
    // A missing header string repeats the previous column's header.
    std::wstring header;
    for (int i = 0; i < static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0])); ++i) {
        std::wstring loaded = LoadResourceString(kColumns[i].headerId);
        if (!loaded.empty()) header = loaded;
        report_list::InsertColumn(m_wndList, i, header, width * kColumns[i].percent / 100, LVCFMT_CENTER);
    }
}

void CHandEditDlg::BuildIniPath() { BuildReadableRuleFilePath(m_szIniPath, MAX_PATH); }

int CHandEditDlg::InsertRow(int index, const std::wstring& section, const std::wstring& displayName,
                            const std::wstring& keyPath, const std::wstring& value, std::string fileSection) {
    const int row = report_list::InsertRow(m_wndList, index, section);
    if (row < 0) return row;
    report_list::SetCellText(m_wndList, row, 1, displayName);
    report_list::SetCellText(m_wndList, row, 2, keyPath);
    report_list::SetCellText(m_wndList, row, 3, value);
    const size_t at = static_cast<size_t>(row) < m_rowSections.size() ? static_cast<size_t>(row) : m_rowSections.size();
    m_rowSections.insert(m_rowSections.begin() + static_cast<std::ptrdiff_t>(at), std::move(fileSection));
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
    report_list::RedrawPause pause(m_wndList);
    // Four conversion buffers for every row: no heap string per cell.
    std::wstring section, displayName, keyPath, value;
    auto convert = [](const char* text, std::wstring& wide) -> const std::wstring& {
        if (!text || !BytesToWide(text, CP_ACP, 0, wide)) wide.clear();
        return wide;
    };
    int i = 0;
    for (const RuleEntry* entry = entries.get(); entry && i <= kLastRowIndex; entry = entry->next, ++i) {
        const size_t at = static_cast<size_t>(i);
        InsertRow(i, convert(entry->category, section), convert(entry->displayName, displayName),
                  convert(entry->keyPath, keyPath), convert(entry->valuePattern, value),
                  at < wholeNames.size() ? std::move(wholeNames[at]) : std::string(entry->category));
    }
}

void CHandEditDlg::AppendEntryRow(const std::wstring& section, const std::wstring& displayName,
                                  const std::wstring& keyPath, const std::wstring& value) {
    if (!m_wndList) return;
    const int row = InsertRow(report_list::RowCount(m_wndList), section, displayName, keyPath, value, ToAnsi(section.c_str()));
    // The new entry is the row the user sees next.
    if (row >= 0) report_list::SelectAndShowRow(m_wndList, row);
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
    if (report_list::RowCount(m_wndList) > 0) ::EnableWindow(m_wndDelete, TRUE);
    return 1;
}

LRESULT CHandEditDlg::OnDelete(WORD, WORD, HWND, BOOL&) {
    const int row = report_list::FirstSelectedRow(m_wndList);
    if (row < 0) return 0;
    BuildIniPath();

    const std::string section = static_cast<size_t>(row) < m_rowSections.size()
                                    ? m_rowSections[static_cast<size_t>(row)]
                                    : ToAnsi(report_list::CellText(m_wndList, row, 0).c_str());
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
    const int rows = report_list::RowCount(m_wndList);
    if (rows > 0) report_list::SelectAndShowRow(m_wndList, row < rows ? row : rows - 1);
    return 1;
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
    if (report_list::FirstSelectedRow(m_wndList) < 0) return 0;
    // From the keyboard the menu opens under the row it is for.
    POINT at = {};
    if (fromKeyboard)
        at = report_list::PointUnderRow(m_wndList, report_list::MenuRow(m_wndList));
    else
        ::GetCursorPos(&at);
    TrackResourceMenuAt(m_hWnd, IDR_RULE_LIST_MENUS, kListMenuIndex, at);
    return 1;
}

// The Delete key deletes the selected entry as the Delete button does; the
// Applications key opens the list's context menu.
LRESULT CHandEditDlg::OnListKeyDown(int, LPNMHDR header, BOOL&) {
    BOOL handled = TRUE;
    switch (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey) {
    case VK_DELETE: OnDelete(BN_CLICKED, IDC_HAND_EDIT_DELETE, m_wndDelete, handled); break;
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

// The layout is drawn at 96 DPI: every pixel figure is scaled to the
// screen, and is exact at 96 DPI.
LRESULT CHandEditDlg::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    HWND confirm = GetDlgItem(IDC_HAND_EDIT_CONFIRM);
    HWND remove = GetDlgItem(IDC_HAND_EDIT_DELETE);
    HWND add = GetDlgItem(IDC_HAND_EDIT_ADD);
    HWND list = GetDlgItem(IDC_HAND_EDIT_LIST);
    // Sizing during creation comes before the controls exist.
    if (!confirm || !remove || !add || !list) return 0;

    const ScreenScale s(m_hWnd);
    const int width = WidthOf(m_hWnd);
    const int height = HeightOf(m_hWnd);
    const int confirmWidth = WidthOf(confirm);
    const int removeWidth = WidthOf(remove);

    SizeChild(list, width - s(28), height - s(110));
    const int y = height - HeightOf(confirm) - s(50);
    MoveChild(confirm, width - s(100), y);
    MoveChild(remove, width - confirmWidth - s(120), y);
    MoveChild(add, width - confirmWidth - removeWidth - s(140), y);
    return 0;
}

SIZE CHandEditDlg::SmallestSize() const {
    const ScreenScale s(m_hWnd);
    HWND add = GetDlgItem(IDC_HAND_EDIT_ADD);
    RECT list = ScreenRectOf(m_wndList);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    // OnSize puts Add at width - w(OK) - w(Delete) - 140: no further left
    // than the list; the list gets the height less 110, four button heights.
    const int width = list.left + WidthOf(GetDlgItem(IDC_HAND_EDIT_CONFIRM)) + WidthOf(GetDlgItem(IDC_HAND_EDIT_DELETE)) + s(140);
    const int height = s(110) + 4 * HeightOf(add);
    return SIZE{width, height};
}

LRESULT CHandEditDlg::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    handled = m_minimumSize.Apply(lParam);
    return 0;
}
