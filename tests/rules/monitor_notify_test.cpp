#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "rules/monitor_notify.h"

namespace {

// A stand-in monitor: a top-level window with the monitor's title, run by
// its own thread so that the notification really crosses threads.
class FakeMonitor {
public:
    FakeMonitor(LRESULT answer, DWORD stallMs) : m_answer(answer), m_stallMs(stallMs) {
        m_ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this] { Run(); });
        ::WaitForSingleObject(m_ready, 5000);
    }
    ~FakeMonitor() {
        if (m_window) ::PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
        ::CloseHandle(m_ready);
    }
    bool Created() const { return m_window != nullptr; }
    int Commands() const { return m_commands; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FakeMonitor*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COMMAND && self) {
            if (wParam == 6005 && lParam == 0) ++self->m_commands;
            if (self->m_stallMs) ::Sleep(self->m_stallMs);
            return self->m_answer;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Run() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VtpsTestMonitorWindow";
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Veltrane Registry Monitor Ex",
                                     WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                     windowClass.hInstance, nullptr);
        if (m_window) ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetEvent(m_ready);
        MSG message;
        while (m_window && ::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    }

    const LRESULT m_answer;
    const DWORD m_stallMs;
    std::atomic<int> m_commands{0};
    HWND m_window = nullptr;
    HANDLE m_ready = nullptr;
    std::thread m_thread;
};

TEST(NotifyRegistryMonitorTest, NoMonitorWindowGivesTwo) {
    ASSERT_EQ(::FindWindowA(nullptr, "Veltrane Registry Monitor Ex"), nullptr);
    EXPECT_EQ(NotifyRegistryMonitor(), 2);
}

TEST(NotifyRegistryMonitorTest, MonitorGetsOneCommandAndItsAnswerIsReturned) {
    {
        FakeMonitor monitor(7, 0);
        ASSERT_TRUE(monitor.Created());
        EXPECT_EQ(NotifyRegistryMonitor(), 7);
        EXPECT_EQ(monitor.Commands(), 1);
    }
    {
        // An answer of 0 is passed on, not taken for a failure.
        FakeMonitor monitor(0, 0);
        ASSERT_TRUE(monitor.Created());
        EXPECT_EQ(NotifyRegistryMonitor(), 0);
        EXPECT_EQ(monitor.Commands(), 1);
    }
}

TEST(NotifyRegistryMonitorTest, StalledMonitorGivesOneAfterTheTimeOut) {
    FakeMonitor monitor(7, 1500);
    ASSERT_TRUE(monitor.Created());
    SetMonitorTimeoutForTest(200);
    const DWORD start = ::GetTickCount();
    const int result = NotifyRegistryMonitor();
    const DWORD elapsed = ::GetTickCount() - start;
    SetMonitorTimeoutForTest(0);
    EXPECT_EQ(result, 1);
    EXPECT_LT(elapsed, 1200u);
    EXPECT_EQ(monitor.Commands(), 1);
}

}  // namespace
