// A stand-in for the options console's window, to hold the plug-in's page.
#pragma once
#include <windows.h>

namespace testing_support {

inline HWND MakeConsoleWindow() {
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VtpsTestConsole";
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    return ::CreateWindowExW(0, L"VtpsTestConsole", L"console", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace testing_support
