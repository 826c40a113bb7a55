#include "dialogs/framework/report_list.h"

namespace report_list {

void InsertColumn(HWND list, int column, const std::wstring& header, int width, int format) {
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(header.c_str());
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

int InsertRow(HWND list, int row, const std::wstring& text, LPARAM data) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.iImage = 0;
    item.lParam = data;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring CellText(HWND list, int row, int column) {
    // LVM_GETITEMTEXT answers the characters copied; a full buffer may mean
    // the text was cut, so grow until it fits.
    std::wstring text;
    for (int size = 512;; size *= 2) {
        text.assign(static_cast<size_t>(size), L'\0');
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = &text[0];
        item.cchTextMax = size;
        int length = static_cast<int>(
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length < size - 1 || size >= 32768) {
            text.resize(static_cast<size_t>(length < 0 ? 0 : length));
            return text;
        }
    }
}

LPARAM RowData(HWND list, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

void SetRowData(HWND list, int row, LPARAM data) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int FirstSelectedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ClientWidth(HWND list) {
    RECT client = {};
    ::GetClientRect(list, &client);
    return client.right - client.left;
}

}  // namespace report_list
