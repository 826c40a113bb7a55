#include "dialogs/framework/screen_scale.h"

#include <algorithm>

ScreenScale::ScreenScale(HWND window) {
    if (HDC dc = ::GetDC(window)) {
        const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        if (dpi > 0) dpi_ = dpi;
        ::ReleaseDC(window, dc);
    }
}

bool MinimumTrackSize::Apply(LPARAM minMaxInfo) const {
    if (size_.cx <= 0 || size_.cy <= 0) return false;
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(minMaxInfo);
    info->ptMinTrackSize.x = size_.cx;
    info->ptMinTrackSize.y = size_.cy;
    return true;
}

RECT ScreenRectOf(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

int WidthOf(HWND window) {
    const RECT rect = ScreenRectOf(window);
    return rect.right - rect.left;
}

int HeightOf(HWND window) {
    const RECT rect = ScreenRectOf(window);
    return rect.bottom - rect.top;
}

void SizeChild(HWND child, int cx, int cy) {
    const RECT rect = ScreenRectOf(child);
    if (rect.right - rect.left == cx && rect.bottom - rect.top == cy) return;
    ::SetWindowPos(child, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveChild(HWND child, int x, int y) {
    RECT rect = ScreenRectOf(child);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    if (rect.left == x && rect.top == y) return;
    ::SetWindowPos(child, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitDialogToWorkArea(HWND dialog, SIZE minimum) {
    RECT work = {};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    RECT rect = ScreenRectOf(dialog);
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    int width = std::max<int>(rect.right - rect.left, minimum.cx);
    int height = std::max<int>(rect.bottom - rect.top, minimum.cy);
    int x = rect.left, y = rect.top;
    if (width > workWidth) {
        width = std::max<int>(workWidth, minimum.cx);
        x = work.left + (workWidth - width) / 2;
    }
    if (height > workHeight) {
        height = std::max<int>(workHeight, minimum.cy);
        y = work.top + (workHeight - height) / 2;
    }
    // A size that did not change sends no WM_SIZE: the layout is asked for
    // with a message of its own.
    const bool resized = width != rect.right - rect.left || height != rect.bottom - rect.top;
    if (resized || x != rect.left || y != rect.top)
        ::SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!resized) {
        RECT client = {};
        ::GetClientRect(dialog, &client);
        ::SendMessageW(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
}
