// The expert rule editor: the categories of the rule store in one list and
// the registry items of one category in another.  Categories are added and
// edited through the add-category dialog, items added through the add-item
// dialog.  Every change is saved to the working copies at once and announced
// to the registry monitor; its OK button marks the settings as modified so
// that the console's next Apply copies them back.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "core/rule_records.h"
#include "dialogs/framework/dialog_impl.h"
#include "dialogs/framework/screen_scale.h"
#include "lang/resource.h"
#include "win/raii.h"

class CExpertDlg : public CDialogImpl<CExpertDlg> {
public:
    enum { IDD = IDD_EXPERT_EDITOR };
    // One record stays free: the editor adds no category past this count.
    enum { kMaxEditorCategories = 999 };

    CExpertDlg();
    ~CExpertDlg() override;

    BEGIN_MSG_MAP(CExpertDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_STARTUP_DONE, OnStartupDone)
        NOTIFY_HANDLER(IDC_EXPERT_CATEGORY_LIST, LVN_ITEMCHANGED, OnCategoryListChanged)
        NOTIFY_HANDLER(IDC_EXPERT_CATEGORY_LIST, NM_SETFOCUS, OnCategoryListFocused)
        NOTIFY_HANDLER(IDC_EXPERT_CATEGORY_LIST, NM_DBLCLK, OnCategoryDoubleClick)
        NOTIFY_HANDLER(IDC_EXPERT_CATEGORY_LIST, NM_RCLICK, OnCategoryRightClick)
        NOTIFY_HANDLER(IDC_EXPERT_ITEM_LIST, LVN_ITEMCHANGED, OnItemListChanged)
        NOTIFY_HANDLER(IDC_EXPERT_ITEM_LIST, NM_SETFOCUS, OnItemListChanged)
        NOTIFY_HANDLER(IDC_EXPERT_ITEM_LIST, NM_RCLICK, OnItemRightClick)
        COMMAND_HANDLER(IDC_EXPERT_ADD_CATEGORY, BN_CLICKED, OnAddCategory)
        COMMAND_HANDLER(IDC_EXPERT_EDIT_CATEGORY, BN_CLICKED, OnEditCategory)
        COMMAND_HANDLER(IDC_EXPERT_DELETE_CATEGORY, BN_CLICKED, OnDeleteCategory)
        COMMAND_HANDLER(IDC_EXPERT_ADD_ITEM, BN_CLICKED, OnAddItem)
        COMMAND_HANDLER(IDC_EXPERT_DELETE_ITEM, BN_CLICKED, OnDeleteItem)
        COMMAND_HANDLER(IDC_EXPERT_DONE, BN_CLICKED, OnDone)
        NOTIFY_HANDLER(IDC_EXPERT_CATEGORY_LIST, LVN_KEYDOWN, OnCategoryKeyDown)
        NOTIFY_HANDLER(IDC_EXPERT_ITEM_LIST, LVN_KEYDOWN, OnItemKeyDown)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
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
    // The smallest window at which both button sets fit under the lists
    // beside the done button, the lists keep room for a few rows and the
    // longer hint fits on its line; worked out from the template's controls.
    SIZE SmallestSize() const;
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
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
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
    MinimumTrackSize m_minimumSize;
};
