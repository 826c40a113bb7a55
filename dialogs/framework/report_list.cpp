#include "dialogs/framework/report_list.h"

#include <memory>
#include <utility>
#include <vector>

#include "win/no_throw.h"

namespace report_list {

namespace {

// Sits in front of the list's window procedure and counts how deep the list
// is in handling messages.
struct NotificationBatch {
    std::function<void()> answer;
    WNDPROC next = nullptr;
    int depth = 0;
    bool pending = false;

    void AnswerPending() {
        // The answer's own messages to the list must not answer again.
        ++depth;
        while (pending && answer) {
            pending = false;
            // Called from the list's window procedure: an answer that throws
            // leaves the other list as it was.
            CallNoThrow([this] { answer(); });
        }
        pending = false;
        --depth;
    }
};

// The batched lists of the process.  Every list message passes through the
// lookup, so it is kept in the process (window properties would cost a
// round trip to the window server per message under Wine); all dialogs run
// on the one user-interface thread.
std::vector<std::pair<HWND, std::unique_ptr<NotificationBatch>>>& Batches() {
    static std::vector<std::pair<HWND, std::unique_ptr<NotificationBatch>>> batches;
    return batches;
}

NotificationBatch* BatchOf(HWND list) {
    for (const auto& entry : Batches())
        if (entry.first == list) return entry.second.get();
    return nullptr;
}

LRESULT CALLBACK BatchingWindowProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    NotificationBatch* batch = BatchOf(list);
    if (!batch) return ::DefWindowProcW(list, message, wParam, lParam);
    const WNDPROC next = batch->next;
    if (message == WM_NCDESTROY) {
        // The list's destruction frees its batch.
        std::unique_ptr<NotificationBatch> gone;
        auto& batches = Batches();
        for (auto it = batches.begin(); it != batches.end(); ++it)
            if (it->first == list) {
                gone = std::move(it->second);
                batches.erase(it);
                break;
            }
        return ::CallWindowProcW(next, list, message, wParam, lParam);
    }
    ++batch->depth;
    const LRESULT result = ::CallWindowProcW(next, list, message, wParam, lParam);
    --batch->depth;
    if (batch->depth == 0 && batch->pending) batch->AnswerPending();
    return result;
}

}  // namespace

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

void SelectAndShowRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int MenuRow(HWND list) {
    const int focused =
        static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED));
    return focused >= 0 ? focused : FirstSelectedRow(list);
}

POINT PointUnderRow(HWND list, int row) {
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT rect = {};
    rect.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    // A row partly under the list's lower edge still opens inside the list.
    RECT client = {};
    ::GetClientRect(list, &client);
    POINT point = {rect.left > client.left ? rect.left : client.left,
                   rect.bottom < client.bottom ? rect.bottom : client.bottom};
    ::ClientToScreen(list, &point);
    return point;
}

int ClientWidth(HWND list) {
    RECT client = {};
    ::GetClientRect(list, &client);
    return client.right - client.left;
}

RedrawPause::RedrawPause(HWND list) : list_(list) { ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

RedrawPause::~RedrawPause() {
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void BatchNotifications(HWND list, std::function<void()> answer) {
    if (!list || BatchOf(list)) return;
    std::unique_ptr<NotificationBatch> owned(new NotificationBatch);
    NotificationBatch* batch = owned.get();
    batch->answer = std::move(answer);
    Batches().emplace_back(list, std::move(owned));
    batch->next = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BatchingWindowProc)));
    if (!batch->next) Batches().pop_back();
}

bool DeferNotification(HWND list) {
    NotificationBatch* batch = BatchOf(list);
    if (!batch || !batch->answer || batch->depth == 0) return false;
    batch->pending = true;
    return true;
}

void StopBatching(HWND list) {
    if (NotificationBatch* batch = BatchOf(list)) {
        batch->answer = nullptr;
        batch->pending = false;
    }
}

}  // namespace report_list
