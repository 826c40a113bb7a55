#include "suite/console/editor_session.h"

#include <commctrl.h>

#include "lang/resource.h"

namespace {
// The walk through the editor takes seconds; a minute means it is stuck.
constexpr UINT kEditorTimeLimitMs = 60000;
}  // namespace

bool WithExpertEditor(HWND page, const std::function<void(HWND, DialogScript&)>& work, std::wstring& error) {
    DialogScript script(kEditorTimeLimitMs);
    if (!script.Ready()) {
        error = L"cannot watch the plug-in's dialogs (no hook)";
        return false;
    }
    script.Expect(L"expert rule editor", IDC_EXPERT_CATEGORY_LIST, [&](HWND editor) { work(editor, script); });
    if (!PressButton(page, IDC_EXPERT_RULES)) {
        error = L"the page shows no expert-editor button (" + std::to_wstring(IDC_EXPERT_RULES) + L") to press";
        return false;
    }
    if (script.Failed()) {
        error = script.Failure();
        return false;
    }
    if (!script.AllCame()) {
        error = L"the page's button " + std::to_wstring(IDC_EXPERT_RULES) + L" opened no editor";
        return false;
    }
    return true;
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[1100] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1100;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int FindRow(HWND list, const std::wstring& text) {
    for (int row = 0; row < RowCount(list); ++row)
        if (CellText(list, row, 0) == text) return row;
    return -1;
}

void PressKey(HWND list, UINT key) {
    SendMessageW(list, WM_KEYDOWN, key, 0);
    SendMessageW(list, WM_KEYUP, key, 0);
}

std::wstring Label(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    std::wstring label;
    for (const wchar_t* c = text; *c; ++c)
        if (*c != L'&' || c[1] == L'&') label += *c;
    return label;
}
