// Small wrappers around the messages of a report-view list control, so that
// dialog code reads as what it does to rows and cells.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace report_list {

void InsertColumn(HWND list, int column, const std::wstring& header, int width, int format = LVCFMT_LEFT);
// Inserts a row with the column 0 text, image 0 and item data; returns its
// index, or -1.
int InsertRow(HWND list, int row, const std::wstring& text, LPARAM data = 0);
void SetCellText(HWND list, int row, int column, const std::wstring& text);
std::wstring CellText(HWND list, int row, int column);
LPARAM RowData(HWND list, int row);
void SetRowData(HWND list, int row, LPARAM data);
int RowCount(HWND list);
// The first selected row, or -1.
int FirstSelectedRow(HWND list);
void SelectRow(HWND list, int row);
int ClientWidth(HWND list);

}  // namespace report_list
