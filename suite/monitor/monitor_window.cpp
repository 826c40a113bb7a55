#include "suite/monitor/monitor_window.h"

#include "rules/monitor_notify.h"

namespace {

const wchar_t kWindowClass[] = L"VtMonitorWindow";
const char kWindowClassAnsi[] = "VtMonitorWindow";
const UINT_PTR kAtomTimer = 1;
const UINT kAtomPollMs = 250;
const int kListId = 100;
// The list shows the newest lines; the log keeps them all.
const LRESULT kMaxListLines = 500;

}  // namespace

MonitorWindow::MonitorWindow(const MonitorOptions& options, MonitorLog& log)
    : m_options(options), m_log(log), m_atomWatch(!options.keepAtom) {}

MonitorWindow::~MonitorWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

bool MonitorWindow::Create(HINSTANCE instance, int show) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassW(&windowClass)) return false;

    // The ANSI title is what the plug-in's FindWindowA compares.
    HWND window = ::CreateWindowExA(0, kWindowClassAnsi, kMonitorWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 560, 320, nullptr, nullptr, instance, this);
    if (!window) return false;
    m_hList = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 0, 0,
                                window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
    RECT client;
    ::GetClientRect(window, &client);
    if (m_hList) ::MoveWindow(m_hList, 0, 0, client.right, client.bottom, FALSE);
    ::SetTimer(window, kAtomTimer, kAtomPollMs, nullptr);
    ::ShowWindow(window, show);
    Event(L"monitor started (process " + std::to_wstring(::GetCurrentProcessId()) + L")");
    return true;
}

LRESULT CALLBACK MonitorWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MonitorWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MonitorWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MonitorWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_TIMER:
        if (wParam == kAtomTimer) OnTimer();
        return 0;
    case WM_SIZE:
        if (m_hList) ::MoveWindow(m_hList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY: {
        ::KillTimer(m_hWnd, kAtomTimer);
        Event(L"monitor stopped after " + std::to_wstring(m_nCommands) + L" command(s)");
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        m_hList = nullptr;
        ::PostQuitMessage(0);
        return 0;
    }
    default:
        return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

LRESULT MonitorWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Notifications of our own list box come with its handle.
    if (lParam != 0) return ::DefWindowProcW(m_hWnd, WM_COMMAND, wParam, lParam);
    const UINT id = LOWORD(wParam);
    if (id != kMonitorRulesChangedCommand) {
        Event(L"command " + std::to_wstring(id) + L" ignored, answered 0");
        return 0;
    }
    ++m_nCommands;
    std::wstring line = L"command 6005 (rules changed) #" + std::to_wstring(m_nCommands) + L", answered 0";
    if (m_options.stallMs) line += L" after stalling " + std::to_wstring(m_options.stallMs) + L" ms";
    // Logged on arrival: a sender that gives up during the stall still left its trace.
    Event(line);
    if (m_options.stallMs) ::Sleep(m_options.stallMs);
    if (m_options.exitAfter && m_nCommands >= m_options.exitAfter) ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

void MonitorWindow::OnTimer() {
    const unsigned seen = m_atomWatch.Poll();
    if (!seen) return;
    std::wstring line = L"update atom VtPstl_NsUpdate appeared";
    if (m_options.keepAtom)
        line += L" (kept)";
    else
        line += L" (" + std::to_wstring(seen) + L" reference(s) deleted)";
    Event(line);
}

void MonitorWindow::Event(const std::wstring& text) {
    const std::wstring line = m_log.Write(text);
    if (!m_hList) return;
    while (::SendMessageW(m_hList, LB_GETCOUNT, 0, 0) >= kMaxListLines) ::SendMessageW(m_hList, LB_DELETESTRING, 0, 0);
    LRESULT index = ::SendMessageW(m_hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) ::SendMessageW(m_hList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}
