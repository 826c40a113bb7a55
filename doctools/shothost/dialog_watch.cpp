#include "doctools/shothost/dialog_watch.h"

#include <utility>

#include "doctools/shothost/window_report.h"

namespace {

constexpr UINT kTickMs = 200;
// Ticks the same window must stay active and visible before it counts as
// painted: list views fill and resize after the dialog first shows.
constexpr int kSteadyTicks = 4;

// Thread timers carry no context; there is one watch per program run.
DialogWatch* g_watch = nullptr;

}  // namespace

DialogWatch::DialogWatch(std::wstring reportPath, unsigned seconds)
    : reportPath_(std::move(reportPath)), seconds_(seconds) {
    if (g_watch) return;
    timer_ = ::SetTimer(nullptr, 0, kTickMs, &DialogWatch::OnTimer);
    if (timer_) g_watch = this;
}

DialogWatch::~DialogWatch() {
    if (timer_) ::KillTimer(nullptr, timer_);
    if (g_watch == this) g_watch = nullptr;
}

void CALLBACK DialogWatch::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watch) g_watch->Tick();
}

void DialogWatch::Tick() {
    if (closing_) return;
    if (reported_) {
        const bool timeUp = seconds_ != 0 && ::GetTickCount() - reportedAt_ >= seconds_ * 1000u;
        if ((timeUp || ReportTakenAway(reportPath_)) && ::IsWindow(candidate_)) {
            closing_ = true;
            ::PostMessageW(candidate_, WM_CLOSE, 0, 0);
        }
        return;
    }
    HWND active = ::GetActiveWindow();
    if (!active || !::IsWindowVisible(active)) {
        candidate_ = nullptr;
        steadyTicks_ = 0;
        return;
    }
    if (active != candidate_) {
        candidate_ = active;
        steadyTicks_ = 0;
    }
    if (++steadyTicks_ < kSteadyTicks) return;
    // Started by the virtual desktop's shell, the dialog is active in its
    // thread but not the foreground window, and its caption is drawn
    // inactive; the user sees it active after opening it.
    if (::GetForegroundWindow() != candidate_) ::SetForegroundWindow(candidate_);
    ::SendMessageW(candidate_, WM_NCACTIVATE, TRUE, 0);
    ::RedrawWindow(candidate_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                                                 RDW_UPDATENOW);
    RECT rect;
    if (!::GetWindowRect(candidate_, &rect)) return;
    WriteReportFile(reportPath_, FormatWindowReport(rect));
    reported_ = true;
    reportedAt_ = ::GetTickCount();
}
