// The expert rule editor: the categories of the rule store in one list and
// the registry items of one category in another.  Categories are added and
// edited through the add-category dialog, items added through the add-item
// dialog.  Every change is saved to the working copies at once and announced
// to the registry monitor; button 1072 marks the settings as modified so
// that the console's next Apply copies them back.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "core/rule_records.h"
#include "dialogs/framework/dialog_impl.h"
#include "win/raii.h"

class CExpertDlg : public CDialogImpl<CExpertDlg> {
public:
    enum { IDD = 292 };
    enum {
        IDC_CATEGORY_LIST = 1015,
        IDC_ITEM_LIST = 1016,
        IDC_EDIT_CATEGORY = 1019,
        IDC_ADD_CATEGORY = 1020,
        IDC_DELETE_CATEGORY = 1053,
        IDC_ADD_ITEM = 1055,
        IDC_DELETE_ITEM = 1056,
        IDC_DONE = 1072,
        // The static text above the lists that says what the shown buttons do.
        IDC_HINT = 1074,
    };
    enum { IDB_CATEGORY_IMAGES = 139, IDB_ITEM_IMAGES = 140 };
    enum { IDR_CATEGORY_MENU = 213, IDR_ITEM_MENU = 216 };
    enum {
        IDS_NEED_ADMIN = 126,
        IDS_ASK_DELETE_CATEGORY = 127,
        IDS_ACTION_0 = 128,
        IDS_ACTION_2 = 129,
        IDS_ACTION_1 = 130,
        IDS_NAME_EXISTS = 131,
        IDS_CANNOT_DELETE = 132,
        IDS_NO_MORE_CATEGORIES = 135,
        IDS_ASK_DELETE_ITEM = 136,
        IDS_ITEM_EXISTS = 137,
        IDS_ITEM_COLUMN_KEY_PATH = 138,
        IDS_ITEM_COLUMN_ROOT = 142,
        IDS_HINT_CATEGORIES = 144,
        IDS_HINT_ITEMS = 145,
        IDS_ITEM_CAPTION = 146,
        IDS_CATEGORY_COLUMN_NAME = 185,
        IDS_CATEGORY_COLUMN_ACTION = 186,
    };
    // One record stays free: the editor adds no category past this count.
    enum { kMaxEditorCategories = 999 };

    CExpertDlg();
    ~CExpertDlg() override;

    BEGIN_MSG_MAP(CExpertDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_STARTUP_DONE, OnStartupDone)
        NOTIFY_HANDLER(IDC_CATEGORY_LIST, LVN_ITEMCHANGED, OnCategoryListChanged)
        NOTIFY_HANDLER(IDC_CATEGORY_LIST, NM_SETFOCUS, OnCategoryListFocused)
        NOTIFY_HANDLER(IDC_CATEGORY_LIST, NM_DBLCLK, OnCategoryDoubleClick)
        NOTIFY_HANDLER(IDC_CATEGORY_LIST, NM_RCLICK, OnCategoryRightClick)
        NOTIFY_HANDLER(IDC_ITEM_LIST, LVN_ITEMCHANGED, OnItemListChanged)
        NOTIFY_HANDLER(IDC_ITEM_LIST, NM_SETFOCUS, OnItemListChanged)
        NOTIFY_HANDLER(IDC_ITEM_LIST, NM_RCLICK, OnItemRightClick)
        NOTIFY_HANDLER(IDC_CATEGORY_LIST, LVN_KEYDOWN, OnCategoryKeyDown)
        NOTIFY_HANDLER(IDC_ITEM_LIST, LVN_KEYDOWN, OnItemKeyDown)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        COMMAND_HANDLER(IDC_ADD_CATEGORY, 0, OnAddCategory)
        COMMAND_HANDLER(IDC_EDIT_CATEGORY, 0, OnEditCategory)
        COMMAND_HANDLER(IDC_DELETE_CATEGORY, 0, OnDeleteCategory)
        COMMAND_HANDLER(IDC_ADD_ITEM, 0, OnAddItem)
        COMMAND_HANDLER(IDC_DELETE_ITEM, 0, OnDeleteItem)
        COMMAND_HANDLER(IDC_DONE, 0, OnDone)
    END_MSG_MAP()

    UniqueImageList m_hCategoryImages;
    UniqueImageList m_hItemImages;
    HWND m_hCategoryList = nullptr;
    HWND m_hItemList = nullptr;
    HWND m_hEditCategory = nullptr;
    HWND m_hAddCategory = nullptr;
    HWND m_hDeleteCategory = nullptr;
    HWND m_hAddItem = nullptr;
    HWND m_hDeleteItem = nullptr;
    HWND m_hHint = nullptr;
    int32_t m_nCurCategory = -1;  // store index of the category the item list shows
    bool m_bFilling = false;      // the item list is being refilled

    // Category mode: refills the item list from the selected category (or
    // category 0) and shows the category buttons.
    void ShowCategoryItems();
    // Item mode: shows the item buttons.
    void ShowItemButtons();
    void LayoutControls();
    // Answers 1 when a category was added.
    int AddCategory();
    void EditCategory();
    void DeleteCategory();
    void AddItem();
    void DeleteItem();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCategoryListChanged(int, LPNMHDR, BOOL&);
    LRESULT OnCategoryListFocused(int, LPNMHDR, BOOL&);
    LRESULT OnStartupDone(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCategoryDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnCategoryRightClick(int, LPNMHDR, BOOL&);
    LRESULT OnItemListChanged(int, LPNMHDR, BOOL&);
    LRESULT OnItemRightClick(int, LPNMHDR, BOOL&);
    LRESULT OnCategoryKeyDown(int, LPNMHDR, BOOL&);
    LRESULT OnItemKeyDown(int, LPNMHDR, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddCategory(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditCategory(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteCategory(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddItem(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteItem(WORD, WORD, HWND, BOOL&);
    LRESULT OnDone(WORD, WORD, HWND, BOOL&);

    void FetchControls();
    void CreateImageLists();
    void StyleControls();
    void InsertCategoryColumns();
    void FillCategoryRows();
    void InsertItemColumns();
    void SetCategoryRow(int row, int32_t category);
    int AppendCategoryRow(int32_t category);
    int AppendItemRow(std::unique_ptr<RuleItem> copy);
    void ClearItemRows();
    void DeleteItemRow(int row);
    void RebuildCategoryItems();
    // Shown only when the list has a selected row; answers 1 when shown.
    // From the keyboard the menu opens under the row it is for, from the
    // mouse at the cursor.
    LRESULT TrackListMenu(HWND list, UINT menuId, bool fromKeyboard = false);
    // The focus leaves a button that is about to be disabled or hidden for
    // the list the button works on.
    void MoveFocusOff(HWND button, HWND list);
    bool CheckCategoryRights(const RuleCategory& category);
    bool CheckRootRights(const std::wstring& rootName);
    void SaveAndNotify();
    RuleCategory* CurrentCategory();
    void ShowButtons(std::initializer_list<HWND> hide, std::initializer_list<HWND> show, UINT hintId);

    // The item copies that the item rows point at (row data), one owner.
    std::vector<std::unique_ptr<RuleItem>> m_itemCopies;
    // Set while WM_INITDIALOG fills the category list: each new row reports
    // a change, and refilling the item list for each would show nothing new.
    bool m_bInitialising = false;
    // Set from WM_INITDIALOG until the dialog's first posted message: the
    // focus the dialog manager gives the category list on opening would only
    // show the same category again.
    bool m_bStartingUp = false;
    static const UINT WM_STARTUP_DONE = WM_APP + 1;
};
