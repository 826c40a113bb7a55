#include "dialogs/expert_dlg.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "core/root_names.h"
#include "dialogs/class_add_dlg.h"
#include "dialogs/framework/report_list.h"
#include "dialogs/framework/resource_ui.h"
#include "dialogs/item_add_dlg.h"
#include "win/dll_module.h"
#include "dialogs/modified_flag.h"
#include "win/platform.h"
#include "win/resource_module.h"
#include "win/ansi_field.h"
#include "win/ansi_text.h"
#include "rules/monitor_notify.h"
#include "rules/rule_store.h"
#include "rules/user_rights.h"

namespace {

const wchar_t kNoticeCaption[] = L"NOTICE";
// Lets the hidden and the shown button set swap without flicker.
const DWORD kButtonSwapPauseMs = 10;

UINT ActionTextId(int32_t action) {
    switch (action) {
    case 1: return IDS_ACTION_ALLOW;
    case 2: return IDS_ACTION_BLOCK;
    default: return IDS_ACTION_ASK;
    }
}

std::wstring ItemRootText(const RuleItem& item) { return ToWide(LongNameFromRoot(item.root)); }

std::wstring CategoryName(const RuleCategory& record) {
    const size_t nameChars = sizeof(record.wideName) / sizeof(record.wideName[0]);
    return std::wstring(record.wideName, wcsnlen(record.wideName, nameChars));
}

wchar_t FoldAsciiLetter(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Two category names clash when their whole UTF-16 texts agree, ASCII
// letters in either case.  (Their ANSI copies are cut to the record's field
// and may agree where the names do not.)  A record without a UTF-16 name is
// taken by its ANSI one.
bool SameCategoryName(const RuleCategory& a, const RuleCategory& b) {
    auto nameOf = [](const RuleCategory& record) {
        std::wstring name = CategoryName(record);
        if (name.empty()) name = ToWide(std::string(record.name, strnlen(record.name, sizeof(record.name))).c_str());
        return name;
    };
    const std::wstring x = nameOf(a), y = nameOf(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (FoldAsciiLetter(x[i]) != FoldAsciiLetter(y[i])) return false;
    return true;
}

// A category row in one go: name, image 0, the category's index as data,
// and the action text.
int InsertCategoryRow(HWND list, int row, int32_t category, const std::wstring& actionText) {
    row = report_list::InsertRow(list, row, CategoryName(g_ruleStore.categories[category]), category);
    if (row >= 0) report_list::SetCellText(list, row, 1, actionText);
    return row;
}

// An item row: root name, image 0, the copy as data, and the key path.
int InsertItemRow(HWND list, int row, const std::wstring& rootText, const RuleItem& copy) {
    row = report_list::InsertRow(list, row, rootText, reinterpret_cast<LPARAM>(&copy));
    if (row >= 0) report_list::SetCellText(list, row, 1, ToWide(copy.keyPath));
    return row;
}

// The long names of the roots as the item rows show them, each converted
// once per fill.
class RootTexts {
public:
    const std::wstring& Of(uint32_t root) {
        for (const auto& known : texts_)
            if (known.first == root) return known.second;
        texts_.emplace_back(root, ToWide(LongNameFromRoot(root)));
        return texts_.back().second;
    }

private:
    std::vector<std::pair<uint32_t, std::wstring>> texts_;
};

// A free-standing copy of a store item, without its list link.
std::unique_ptr<RuleItem> CopyItem(const RuleItem& item) {
    std::unique_ptr<RuleItem> copy(new RuleItem(item));
    copy->next = nullptr;
    return copy;
}

}  // namespace

CExpertDlg::CExpertDlg() = default;

CExpertDlg::~CExpertDlg() {
    if (m_hCategoryList && ::IsWindow(m_hCategoryList)) report_list::StopBatching(m_hCategoryList);
}

// ---------------------------------------------------------------------------
// Start-up

LRESULT CExpertDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    FetchControls();
    report_list::BatchNotifications(m_hCategoryList, [this] { ShowCategoryItems(); });
    CreateImageLists();
    if (IsWin9xPlatform()) {
        ::SendMessageW(m_hItemList, WM_SETFONT, 0, FALSE);
        ::SendMessageW(m_hCategoryList, WM_SETFONT, 0, FALSE);
    }
    StyleControls();
    // Sized once the skin has styled the controls, and before the columns
    // take their widths from the lists.
    m_minimumSize.Set(SmallestSize());
    FitDialogToWorkArea(m_hWnd, m_minimumSize.Get());
    InsertCategoryColumns();
    FillCategoryRows();
    ::SendMessageW(m_hCategoryList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_hCategoryImages.get()));
    for (HWND list : {m_hCategoryList, m_hItemList})
        ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    InsertItemColumns();
    ::SendMessageW(m_hItemList, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(m_hItemImages.get()));
    ShowCategoryItems();
    m_bStartingUp = true;
    ::PostMessageW(m_hWnd, WM_STARTUP_DONE, 0, 0);
    return TRUE;
}

LRESULT CExpertDlg::OnStartupDone(UINT, WPARAM, LPARAM, BOOL&) {
    m_bStartingUp = false;
    return 0;
}

void CExpertDlg::FetchControls() {
    m_hCategoryList = GetDlgItem(IDC_EXPERT_CATEGORY_LIST);
    m_hItemList = GetDlgItem(IDC_EXPERT_ITEM_LIST);
    m_hEditCategory = GetDlgItem(IDC_EXPERT_EDIT_CATEGORY);
    m_hAddCategory = GetDlgItem(IDC_EXPERT_ADD_CATEGORY);
    m_hDeleteCategory = GetDlgItem(IDC_EXPERT_DELETE_CATEGORY);
    m_hAddItem = GetDlgItem(IDC_EXPERT_ADD_ITEM);
    m_hDeleteItem = GetDlgItem(IDC_EXPERT_DELETE_ITEM);
    m_hHint = GetDlgItem(IDC_EXPERT_HINT);
}

void CExpertDlg::CreateImageLists() {
    // The bitmaps belong to the hosting program, not to this library.
    HINSTANCE host = ::GetModuleHandleW(nullptr);
    struct Source {
        UniqueImageList* list;
        UINT bitmapId;
        COLORREF mask;
    };
    for (const Source& source : {Source{&m_hCategoryImages, IDB_CATEGORY_LIST_IMAGES, RGB(0, 0, 0)},
                                 Source{&m_hItemImages, IDB_ITEM_LIST_IMAGES, RGB(255, 255, 255)}}) {
        source.list->reset(::ImageList_Create(4, 30, ILC_COLOR, 0, 1));
        UniqueBitmap bitmap(::LoadBitmapW(host, MAKEINTRESOURCEW(source.bitmapId)));
        if (bitmap && *source.list) ::ImageList_AddMasked(source.list->get(), bitmap.get(), source.mask);
    }
}

void CExpertDlg::StyleControls() {
    IWindowStyle* style = CurrentWindowStyle();
    if (!style) return;
    style->StyleDialog(m_hWnd);
    style->StyleListView(m_hCategoryList);
    style->StyleListView(m_hItemList);
    const int buttons[] = {IDC_EXPERT_EDIT_CATEGORY,
                           IDC_EXPERT_ADD_CATEGORY,
                           IDC_EXPERT_DELETE_CATEGORY,
                           IDC_EXPERT_ADD_ITEM,
                           IDC_EXPERT_DELETE_ITEM,
                           IDOK,
                           IDCANCEL,
                           IDC_EXPERT_DONE};
    for (int id : buttons) style->StylePushButton(GetDlgItem(id));
}

void CExpertDlg::InsertCategoryColumns() {
    const int width = report_list::ClientWidth(m_hCategoryList);
    report_list::InsertColumn(m_hCategoryList, 0, LoadResourceString(IDS_CATEGORY_COLUMN_NAME), (3 * width) / 4);
    const ScreenScale s(m_hWnd);
    report_list::InsertColumn(m_hCategoryList, 1, LoadResourceString(IDS_CATEGORY_COLUMN_ACTION), width / 4 - s(5));
}

void CExpertDlg::FillCategoryRows() {
    if (!g_ruleStore.categories) return;
    const std::wstring actionTexts[] = {LoadResourceString(ActionTextId(0)), LoadResourceString(ActionTextId(1)),
                                        LoadResourceString(ActionTextId(2))};
    report_list::RedrawPause pause(m_hCategoryList);
    m_bInitialising = true;
    for (uint32_t i = 0; i < g_ruleStore.count; ++i) {
        const int32_t action = g_ruleStore.categories[i].action;
        const std::wstring& actionText = action == 1 || action == 2 ? actionTexts[action] : actionTexts[0];
        InsertCategoryRow(m_hCategoryList, static_cast<int>(i), static_cast<int32_t>(i), actionText);
    }
    m_bInitialising = false;
}

void CExpertDlg::InsertItemColumns() {
    const int width = report_list::ClientWidth(m_hItemList);
    report_list::InsertColumn(m_hItemList, 0, LoadResourceString(IDS_ITEM_COLUMN_ROOT), width / 3);
    report_list::InsertColumn(m_hItemList, 1, LoadResourceString(IDS_ITEM_COLUMN_KEY_PATH), width);
}

// ---------------------------------------------------------------------------
// Rows

int CExpertDlg::AppendCategoryRow(int32_t category) {
    return InsertCategoryRow(m_hCategoryList, report_list::RowCount(m_hCategoryList), category,
                             LoadResourceString(ActionTextId(g_ruleStore.categories[category].action)));
}

void CExpertDlg::SetCategoryRow(int row, int32_t category) {
    report_list::SetCellText(m_hCategoryList, row, 1,
                             LoadResourceString(ActionTextId(g_ruleStore.categories[category].action)));
    report_list::SetRowData(m_hCategoryList, row, category);
}

int CExpertDlg::AppendItemRow(std::unique_ptr<RuleItem> copy) {
    const int row = InsertItemRow(m_hItemList, report_list::RowCount(m_hItemList), ItemRootText(*copy), *copy);
    if (row >= 0) m_itemCopies.push_back(std::move(copy));
    return row;
}

void CExpertDlg::ClearItemRows() {
    // The rows go before the copies they point at, so no row is ever left
    // pointing at freed memory; clearing each row's data first would only
    // cost one change notification per row.
    ::SendMessageW(m_hItemList, LVM_DELETEALLITEMS, 0, 0);
    m_itemCopies.clear();
}

void CExpertDlg::DeleteItemRow(int row) {
    auto* copy = reinterpret_cast<RuleItem*>(report_list::RowData(m_hItemList, row));
    ::SendMessageW(m_hItemList, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    m_itemCopies.erase(std::remove_if(m_itemCopies.begin(), m_itemCopies.end(),
                                      [copy](const std::unique_ptr<RuleItem>& owned) { return owned.get() == copy; }),
                       m_itemCopies.end());
}

void CExpertDlg::RebuildCategoryItems() {
    RuleCategory* category = CurrentCategory();
    if (!category) return;
    EmptyCategoryItems(category);
    // Prepending from the last row leaves the list in row order.
    for (int row = report_list::RowCount(m_hItemList) - 1; row >= 0; --row) {
        const auto* copy = reinterpret_cast<const RuleItem*>(report_list::RowData(m_hItemList, row));
        if (copy) PrependItem(category, copy);
    }
    SaveRuleStore();
}

RuleCategory* CExpertDlg::CurrentCategory() {
    if (m_nCurCategory < 0 || static_cast<uint32_t>(m_nCurCategory) >= kMaxCategories || !g_ruleStore.categories)
        return nullptr;
    return &g_ruleStore.categories[m_nCurCategory];
}

// ---------------------------------------------------------------------------
// Modes

void CExpertDlg::ShowButtons(std::initializer_list<HWND> hide, std::initializer_list<HWND> show, UINT hintId) {
    for (HWND button : hide) ::ShowWindow(button, SW_HIDE);
    ::Sleep(kButtonSwapPauseMs);
    for (HWND button : show) ::ShowWindow(button, SW_SHOW);
    ::SetWindowTextW(m_hHint, LoadResourceString(hintId).c_str());
}

void CExpertDlg::ShowCategoryItems() {
    m_bFilling = true;
    m_nCurCategory = -1;
    const RuleCategory* category = nullptr;
    {
        report_list::RedrawPause pause(m_hItemList);
        ClearItemRows();
        if (report_list::RowCount(m_hCategoryList) > 0) {
            const int selected = report_list::FirstSelectedRow(m_hCategoryList);
            m_nCurCategory = selected >= 0 ? selected : 0;
            category = CurrentCategory();
            RootTexts roots;
            int row = 0;
            for (const RuleItem* item = category ? category->items : nullptr; item; item = item->next) {
                std::unique_ptr<RuleItem> copy = CopyItem(*item);
                if (InsertItemRow(m_hItemList, row, roots.Of(copy->root), *copy) < 0) continue;
                m_itemCopies.push_back(std::move(copy));
                ++row;
            }
        }
    }
    if (m_nCurCategory == -1) {
        ::EnableWindow(m_hDeleteCategory, FALSE);
        ::EnableWindow(m_hEditCategory, FALSE);
        m_bFilling = false;
        return;
    }
    m_bFilling = false;

    ShowButtons({m_hAddItem, m_hDeleteItem}, {m_hAddCategory, m_hDeleteCategory, m_hEditCategory},
                IDS_EXPERT_HINT_CATEGORIES);
    // Only categories the user created may be deleted.
    ::EnableWindow(m_hDeleteCategory, category && category->id >= kFirstUserCreatedId);
    ::EnableWindow(m_hEditCategory, TRUE);
}

void CExpertDlg::ShowItemButtons() {
    if (m_nCurCategory == -1) return;
    if (!m_bFilling)
        ShowButtons({m_hAddCategory, m_hDeleteCategory, m_hEditCategory}, {m_hAddItem, m_hDeleteItem},
                    IDS_EXPERT_HINT_ITEMS);
    if (::IsWindowVisible(m_hAddItem)) ::EnableWindow(m_hDeleteItem, report_list::RowCount(m_hItemList) > 0);
}

// The layout is drawn at 96 DPI: every pixel figure is scaled to the
// screen, and is exact at 96 DPI.
void CExpertDlg::LayoutControls() {
    // Sizing during creation comes before the controls exist.
    if (!m_hCategoryList) return;
    const ScreenScale s(m_hWnd);
    const RECT dialog = ScreenRectOf(m_hWnd);
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;

    const int categoryWidth = WidthOf(m_hCategoryList);
    const int categoryRight = ScreenRectOf(m_hCategoryList).right;
    SizeChild(m_hCategoryList, categoryWidth, height - s(110));
    SizeChild(m_hItemList, width - categoryWidth - s(20), height - s(110));

    HWND done = GetDlgItem(IDC_EXPERT_DONE);
    MoveChild(done, width - s(100), height - HeightOf(done) - s(50));

    const int row = height - HeightOf(m_hEditCategory) - s(50);
    MoveChild(m_hEditCategory, s(5), row);
    MoveChild(m_hAddCategory, WidthOf(m_hEditCategory) + s(10), row);
    MoveChild(m_hDeleteCategory, WidthOf(m_hEditCategory) + WidthOf(m_hAddCategory) + s(15), row);

    const int itemsLeft = categoryRight - dialog.left;
    MoveChild(m_hAddItem, itemsLeft, row);
    MoveChild(m_hDeleteItem, itemsLeft + WidthOf(m_hAddItem) + s(5), row);

    // The hint spans the client area with its template margins.
    if (m_hHint) {
        RECT hint = ScreenRectOf(m_hHint), client = {};
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&hint), 2);
        ::GetClientRect(m_hWnd, &client);
        SizeChild(m_hHint, std::max<int>(client.right - 2 * hint.left, 0), hint.bottom - hint.top);
    }
}

SIZE CExpertDlg::SmallestSize() const {
    const ScreenScale s(m_hWnd);
    const RECT dialog = ScreenRectOf(m_hWnd);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const int frameWidth = (dialog.right - dialog.left) - client.right;

    // Both button rows as LayoutControls places them, then a gap and the
    // done button's 100 from the right edge.
    const int categoryRowEnd =
        WidthOf(m_hEditCategory) + WidthOf(m_hAddCategory) + s(15) + WidthOf(m_hDeleteCategory);
    const int itemRowEnd =
        (ScreenRectOf(m_hCategoryList).right - dialog.left) + WidthOf(m_hAddItem) + s(5) + WidthOf(m_hDeleteItem);
    int width = std::max(categoryRowEnd, itemRowEnd) + s(10) + s(100);

    // The longer of the two hints on one line, with the hint's margins.
    if (m_hHint) {
        RECT hint = ScreenRectOf(m_hHint);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&hint), 2);
        int textWidth = 0;
        if (HDC dc = ::GetDC(m_hHint)) {
            HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hHint, WM_GETFONT, 0, 0)));
            for (UINT id : {IDS_EXPERT_HINT_CATEGORIES, IDS_EXPERT_HINT_ITEMS}) {
                const std::wstring text = LoadResourceString(id);
                SIZE extent = {};
                ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
                textWidth = std::max<int>(textWidth, extent.cx);
            }
            ::SelectObject(dc, previous);
            ::ReleaseDC(m_hHint, dc);
        }
        width = std::max<int>(width, textWidth + 2 * hint.left + frameWidth);
    }

    // The lists get the height less 110: room for a header and a few rows,
    // four button heights.
    const int height = s(110) + 4 * HeightOf(m_hEditCategory);
    return SIZE{width, height};
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CExpertDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(0);
    return 1;
}

LRESULT CExpertDlg::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    LayoutControls();
    return 0;
}

LRESULT CExpertDlg::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    handled = m_minimumSize.Apply(lParam);
    return 0;
}

LRESULT CExpertDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    report_list::StopBatching(m_hCategoryList);
    // The image lists are the editor's: taken back so that no list view
    // destroys them as well (not every version spares a state image list).
    ::SendMessageW(m_hCategoryList, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    ::SendMessageW(m_hItemList, LVM_SETIMAGELIST, LVSIL_STATE, 0);
    handled = FALSE;  // the default handling still runs
    return 0;
}

LRESULT CExpertDlg::OnCategoryListChanged(int, LPNMHDR, BOOL&) {
    // A user's click reports several changes; the item list is refilled
    // once, for the state the list ends in.
    if (!m_bInitialising && !report_list::DeferNotification(m_hCategoryList)) ShowCategoryItems();
    return 0;
}

LRESULT CExpertDlg::OnCategoryListFocused(int header, LPNMHDR notification, BOOL& handled) {
    if (m_bStartingUp) {
        m_bStartingUp = false;
        const int selected = report_list::FirstSelectedRow(m_hCategoryList);
        // The list already shows what this refill would show.
        if (m_nCurCategory == (selected < 0 ? 0 : selected)) return 0;
    }
    return OnCategoryListChanged(header, notification, handled);
}

LRESULT CExpertDlg::OnCategoryDoubleClick(int, LPNMHDR, BOOL&) {
    EditCategory();
    return 0;
}

LRESULT CExpertDlg::OnCategoryRightClick(int, LPNMHDR, BOOL&) {
    return TrackListMenu(m_hCategoryList, IDR_EXPERT_CATEGORY_MENU);
}

LRESULT CExpertDlg::OnItemListChanged(int, LPNMHDR, BOOL&) {
    ShowItemButtons();
    return 0;
}

LRESULT CExpertDlg::OnItemRightClick(int, LPNMHDR, BOOL&) { return TrackListMenu(m_hItemList, IDR_RULE_LIST_MENUS); }

// The Delete key deletes what the list's Delete button deletes, with the
// same questions; the Applications key opens the list's context menu.
LRESULT CExpertDlg::OnCategoryKeyDown(int, LPNMHDR header, BOOL&) {
    switch (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey) {
    case VK_DELETE: DeleteCategory(); break;
    case VK_APPS: TrackListMenu(m_hCategoryList, IDR_EXPERT_CATEGORY_MENU, true); break;
    default: break;
    }
    return 0;
}

LRESULT CExpertDlg::OnItemKeyDown(int, LPNMHDR header, BOOL&) {
    switch (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey) {
    case VK_DELETE: DeleteItem(); break;
    case VK_APPS: TrackListMenu(m_hItemList, IDR_RULE_LIST_MENUS, true); break;
    default: break;
    }
    return 0;
}

// Shift+F10 (and the Applications key where the list leaves it to the
// default handling) arrive here with the position -1.  A right click was
// answered by NM_RCLICK already; what arrives from the mouse is left alone.
LRESULT CExpertDlg::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (lParam != -1 || (window != m_hCategoryList && window != m_hItemList)) {
        handled = FALSE;
        return 0;
    }
    TrackListMenu(window, window == m_hCategoryList ? IDR_EXPERT_CATEGORY_MENU : IDR_RULE_LIST_MENUS, true);
    return 0;
}

LRESULT CExpertDlg::OnAddCategory(WORD, WORD, HWND, BOOL&) { return AddCategory(); }

LRESULT CExpertDlg::OnEditCategory(WORD, WORD, HWND, BOOL&) {
    EditCategory();
    return 0;
}

LRESULT CExpertDlg::OnDeleteCategory(WORD, WORD, HWND, BOOL&) {
    DeleteCategory();
    return 0;
}

LRESULT CExpertDlg::OnAddItem(WORD, WORD, HWND, BOOL&) {
    AddItem();
    return 0;
}

LRESULT CExpertDlg::OnDeleteItem(WORD, WORD, HWND, BOOL&) {
    DeleteItem();
    return 0;
}

LRESULT CExpertDlg::OnDone(WORD, WORD, HWND, BOOL&) {
    g_bModified = true;
    EndDialog(0);
    return 0;
}

LRESULT CExpertDlg::TrackListMenu(HWND list, UINT menuId, bool fromKeyboard) {
    if (report_list::RowCount(list) == 0 || report_list::FirstSelectedRow(list) < 0) return 0;
    if (!fromKeyboard) return TrackResourceMenu(m_hWnd, menuId, 0) ? 1 : 0;
    const POINT at = report_list::PointUnderRow(list, report_list::MenuRow(list));
    return TrackResourceMenuAt(m_hWnd, menuId, 0, at) ? 1 : 0;
}

void CExpertDlg::MoveFocusOff(HWND button, HWND list) {
    // A disabled or hidden window keeps no focus: the keyboard would reach
    // nothing until the next click.
    if (::GetFocus() == button) ::SetFocus(list);
}

// ---------------------------------------------------------------------------
// Categories

void CExpertDlg::SaveAndNotify() {
    SaveRuleStore();
    NotifyRegistryMonitor();
}

int CExpertDlg::AddCategory() {
    if (!g_ruleStore.categories) return 0;
    const uint32_t count = g_ruleStore.count;
    if (count >= kMaxEditorCategories) {
        ResourceMessageBox(m_hWnd, IDS_EXPERT_NO_MORE_CATEGORIES, nullptr, MB_OK);
        return 0;
    }
    int32_t newId = kFirstUserCreatedId;
    if (count > 0 && g_ruleStore.categories[count - 1].id >= kFirstUserCreatedId)
        newId = g_ruleStore.categories[count - 1].id + 1;

    RuleCategory& record = g_ruleStore.categories[count];
    std::memset(&record, 0, sizeof(record));
    CClassAdd dialog;
    if (dialog.RunOn(&record) != 1) return 0;

    for (uint32_t i = 0; i < count; ++i) {
        if (SameCategoryName(g_ruleStore.categories[i], record)) {
            ResourceMessageBox(m_hWnd, IDS_EXPERT_NAME_EXISTS, nullptr, MB_OK);
            std::memset(&record, 0, sizeof(record));
            return 0;
        }
    }

    record.id = newId;
    const int row = AppendCategoryRow(static_cast<int32_t>(count));
    if (row >= 0) report_list::SelectAndShowRow(m_hCategoryList, row);
    g_ruleStore.count = count + 1;
    SaveAndNotify();
    return 1;
}

bool CExpertDlg::CheckCategoryRights(const RuleCategory& category) {
    if (category.adminOnly && !IsUserAdmin()) {
        ResourceMessageBox(m_hWnd, IDS_EXPERT_NEED_ADMIN, nullptr, MB_OK);
        return false;
    }
    return true;
}

void CExpertDlg::EditCategory() {
    RuleCategory* category = CurrentCategory();
    if (!category || !CheckCategoryRights(*category)) return;
    CClassAdd dialog;
    if (dialog.RunOn(category) != 1) return;
    // Rows and store records share their index; the name cannot change here.
    SetCategoryRow(m_nCurCategory, m_nCurCategory);
    SaveAndNotify();
}

void CExpertDlg::DeleteCategory() {
    RuleCategory* category = CurrentCategory();
    if (!category) return;
    if (category->id < kFirstUserCreatedId) {
        ResourceMessageBox(m_hWnd, IDS_EXPERT_CANNOT_DELETE, nullptr, MB_OK);
        return;
    }
    if (ResourceMessageBox(m_hWnd, IDS_EXPERT_ASK_DELETE_CATEGORY, kNoticeCaption, MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK)
        return;
    // The buttons may be disabled for the category shown next: the focus
    // goes to the list, to the row shown next, before that happens.
    MoveFocusOff(m_hDeleteCategory, m_hCategoryList);
    MoveFocusOff(m_hEditCategory, m_hCategoryList);

    const uint32_t index = static_cast<uint32_t>(m_nCurCategory);
    const uint32_t count = g_ruleStore.count;
    EmptyCategoryItems(category);
    if (index + 1 < count)
        std::memmove(&g_ruleStore.categories[index], &g_ruleStore.categories[index + 1],
                     (count - index - 1) * sizeof(RuleCategory));
    // The vacated last record must not keep a second pointer to a list.
    std::memset(&g_ruleStore.categories[count - 1], 0, sizeof(RuleCategory));
    g_ruleStore.count = count - 1;

    ::SendMessageW(m_hCategoryList, LVM_DELETEITEM, index, 0);
    // Later rows moved up one place with their records.
    const int rows = report_list::RowCount(m_hCategoryList);
    for (int row = static_cast<int>(index); row < rows; ++row) report_list::SetRowData(m_hCategoryList, row, row);
    // The row that took the deleted one's place (or the new last row) is
    // the one shown next.
    const int next = static_cast<int>(index) < rows ? static_cast<int>(index) : rows - 1;
    if (next >= 0) report_list::SelectAndShowRow(m_hCategoryList, next);
    SaveAndNotify();
    ShowCategoryItems();
}

// ---------------------------------------------------------------------------
// Items

void CExpertDlg::AddItem() {
    if (!CurrentCategory()) return;
    CItemAdd dialog;
    if (dialog.DoModal(::GetActiveWindow()) != 1) return;

    const int rows = report_list::RowCount(m_hItemList);
    for (int row = 0; row < rows; ++row) {
        if (::lstrcmpiW(report_list::CellText(m_hItemList, row, 0).c_str(), dialog.m_strRootName.c_str()) == 0 &&
            ::lstrcmpiW(report_list::CellText(m_hItemList, row, 1).c_str(), dialog.m_strKeyPath.c_str()) == 0) {
            ResourceMessageBox(m_hWnd, IDS_EXPERT_ITEM_EXISTS, nullptr, MB_OK);
            report_list::SelectAndShowRow(m_hItemList, row);
            ::SetFocus(m_hItemList);
            return;
        }
    }

    std::unique_ptr<RuleItem> item(new RuleItem());
    item->root = dialog.m_dwRoot;
    WideToAnsiCut(dialog.m_strKeyPath.c_str(), item->keyPath, sizeof(item->keyPath));
    WideToAnsiCut(dialog.m_strName.c_str(), item->name, sizeof(item->name));
    WideCopyCut(dialog.m_strName.c_str(), item->wideName, sizeof(item->wideName) / sizeof(item->wideName[0]));
    item->flags = kItemFlagUser;
    if (dialog.m_strKeyPath[0] == L'.') item->flags |= kItemFlagDotPath;

    const int row = AppendItemRow(std::move(item));
    if (row >= 0) report_list::SelectAndShowRow(m_hItemList, row);
    RebuildCategoryItems();
    ::SetFocus(m_hItemList);
}

bool CExpertDlg::CheckRootRights(const std::wstring& rootName) {
    const uint32_t root = RootFromLongName(ToAnsi(rootName.c_str()).c_str());
    if (!IsUserAdmin() && RootNeedsAdmin(root)) {
        ResourceMessageBox(m_hWnd, IDS_EXPERT_NEED_ADMIN, nullptr, MB_OK);
        return false;
    }
    return true;
}

void CExpertDlg::DeleteItem() {
    if (!CurrentCategory() || report_list::RowCount(m_hItemList) == 0) return;
    const int row = report_list::FirstSelectedRow(m_hItemList);
    const std::wstring rootName = row >= 0 ? report_list::CellText(m_hItemList, row, 0) : std::wstring();
    if (!CheckRootRights(rootName) || rootName.empty()) return;

    const std::wstring caption = LoadResourceString(IDS_RULE_MESSAGE_CAPTION);
    if (ResourceMessageBox(m_hWnd, IDS_EXPERT_ASK_DELETE_ITEM, caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    DeleteItemRow(row);
    const int rows = report_list::RowCount(m_hItemList);
    if (rows > 0) {
        report_list::SelectAndShowRow(m_hItemList, row < rows ? row : rows - 1);
    } else {
        // Nothing left to delete.
        MoveFocusOff(m_hDeleteItem, m_hItemList);
        ::EnableWindow(m_hDeleteItem, FALSE);
    }
    RebuildCategoryItems();
    SaveAndNotify();
}
