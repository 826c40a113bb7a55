// Small wrappers around the messages of a report-view list control, so that
// dialog code reads as what it does to rows and cells.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
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
// Selects the row, gives it the focus rectangle and scrolls it into view:
// the row the user's last action was about.
void SelectAndShowRow(HWND list, int row);
// The row a context menu opened from the keyboard is for: the focused row
// when it is selected, else the first selected row; -1 when none is.
int MenuRow(HWND list);
// Where such a menu opens, in screen coordinates: under the row's label,
// which is scrolled into view first.
POINT PointUnderRow(HWND list, int row);
int ClientWidth(HWND list);

// Turns a list's redraw off for a bulk change and back on, with one repaint,
// when it goes: a shown list otherwise repaints for every row it gets.
class RedrawPause {
public:
    explicit RedrawPause(HWND list);
    ~RedrawPause();
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND list_;
};

// Gathers what a list reports while it handles one message (a new selection
// reports the old row's loss of selection and of focus before the new row's
// gain): notifications that DeferNotification notes while the list is busy
// are answered by one call of `answer` once it has done, before whoever sent
// the message goes on.  The list window owns the batching and ends it.
void BatchNotifications(HWND list, std::function<void()> answer);
// True when the list is handling a message and the notification was noted
// for the answer; false when the caller has to answer it now.
bool DeferNotification(HWND list);
// Answers nothing more (the answering object goes before the list).
void StopBatching(HWND list);

}  // namespace report_list
