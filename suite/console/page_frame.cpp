#include "suite/console/page_frame.h"

namespace {

constexpr wchar_t kClassName[] = L"VtOptionsPageFrame";

void FillWithChildren(HWND frame) {
    RECT client;
    GetClientRect(frame, &client);
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
    }
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        FillWithChildren(frame);
        return 0;
    }
    return DefWindowProcW(frame, message, wParam, lParam);
}

bool RegisterFrameClass(HINSTANCE instance) {
    WNDCLASSEXW frameClass = {};
    frameClass.cbSize = sizeof(frameClass);
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kClassName;
    return RegisterClassExW(&frameClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreatePageFrame(HWND parent, HINSTANCE instance, int id) {
    if (!RegisterFrameClass(instance)) return nullptr;
    // Control parent: tabbing and mnemonics reach into the page.
    return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP,
                           0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}
