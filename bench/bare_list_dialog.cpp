#include "bare_list_dialog.h"

#include <utility>

namespace {

const wchar_t kDialogFont[] = L"MS Shell Dlg";
const WORD kDialogFontPoints = 8;

void Append(std::vector<WORD>& words, const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) words.push_back(static_cast<WORD>(*p));
    words.push_back(0);
}

void AppendDword(std::vector<WORD>& words, DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

// Dialog item templates start on a DWORD boundary.
void AlignDword(std::vector<WORD>& words) {
    if (words.size() % 2) words.push_back(0);
}

}  // namespace

BareListDialog::BareListDialog(short cx, short cy, std::vector<BareList> lists)
    : cx_(cx), cy_(cy), lists_(std::move(lists)) {}

std::vector<WORD> BareListDialog::BuildTemplate() const {
    std::vector<WORD> words;
    AppendDword(words, DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    AppendDword(words, 0);
    words.push_back(static_cast<WORD>(lists_.size()));
    for (short value : {short(0), short(0), cx_, cy_}) words.push_back(static_cast<WORD>(value));
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    Append(words, L"Floor");
    words.push_back(kDialogFontPoints);
    Append(words, kDialogFont);
    for (const BareList& list : lists_) {
        AlignDword(words);
        AppendDword(words, WS_CHILD | WS_VISIBLE | list.place.style);
        AppendDword(words, 0);
        for (short value : {list.place.x, list.place.y, list.place.cx, list.place.cy})
            words.push_back(static_cast<WORD>(value));
        words.push_back(list.id);
        Append(words, WC_LISTVIEWW);
        Append(words, L"");
        words.push_back(0);  // no creation data
    }
    return words;
}

INT_PTR BareListDialog::Run(HWND owner) {
    const std::vector<WORD> words = BuildTemplate();
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                     owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

void BareListDialog::Initialise(HWND dialog) const {
    for (const BareList& bare : lists_) {
        HWND list = ::GetDlgItem(dialog, bare.id);
        RECT client = {};
        ::GetClientRect(list, &client);
        for (size_t i = 0; i < bare.columns.size(); ++i) {
            const BareColumn& column = bare.columns[i];
            LVCOLUMNW lvc = {};
            lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            lvc.fmt = column.format;
            lvc.cx = column.width(client.right - client.left);
            lvc.pszText = const_cast<wchar_t*>(column.header.c_str());
            ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&lvc));
        }
        if (bare.initialRows) Fill(list, *bare.initialRows);
    }
}

void BareListDialog::Fill(HWND list, const ListRows& rows) {
    // Without this a shown list repaints for every row (some 7 ms a row
    // under Wine): no sane fill does that, so neither does the floor.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::wstring>& cells = rows[r];
        if (cells.empty()) continue;
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = const_cast<wchar_t*>(cells[0].c_str());
        const LRESULT row = ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (size_t c = 1; c < cells.size(); ++c) {
            LVITEMW cell = {};
            cell.iSubItem = static_cast<int>(c);
            cell.pszText = const_cast<wchar_t*>(cells[c].c_str());
            ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

INT_PTR CALLBACK BareListDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        reinterpret_cast<const BareListDialog*>(lParam)->Initialise(dialog);
        return TRUE;
    case WM_CLOSE:
        ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
