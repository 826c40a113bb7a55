#include "suite/console/dialog_script.h"

namespace {

thread_local DialogScript* t_script = nullptr;

constexpr wchar_t kHelperClass[] = L"VtOptionsDialogScript";
constexpr UINT kRunCall = WM_APP + 1;
constexpr UINT_PTR kTimeLimitTimer = 1;
constexpr UINT_PTR kClosingTimer = 2;
constexpr UINT kClosingPeriodMs = 100;

bool IsDialogWindow(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

BOOL CALLBACK CloseIfAnswerable(HWND window, LPARAM closed) {
    // A disabled dialog waits for the one it opened; that one goes first.
    if (IsDialogWindow(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        ++*reinterpret_cast<int*>(closed);
    }
    return TRUE;
}

}  // namespace

DialogScript::DialogScript(UINT timeLimitMs) {
    static const bool registered = [] {
        WNDCLASSW helperClass = {};
        helperClass.lpfnWndProc = HelperProc;
        helperClass.hInstance = ::GetModuleHandleW(nullptr);
        helperClass.lpszClassName = kHelperClass;
        return ::RegisterClassW(&helperClass) != 0;
    }();
    if (!registered || t_script) return;
    helper_ = ::CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (!helper_) return;
    ::SetWindowLongPtrW(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    t_script = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
    ::SetTimer(helper_, kTimeLimitTimer, timeLimitMs, nullptr);
}

DialogScript::~DialogScript() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    if (helper_) ::DestroyWindow(helper_);
    if (t_script == this) t_script = nullptr;
}

void DialogScript::Expect(const std::wstring& what, int markId, Step step) {
    expected_.push_back({what, markId, std::move(step)});
}

void DialogScript::Later(std::function<void()> call) {
    calls_.push_back(std::move(call));
    ::PostMessageW(helper_, kRunCall, 0, 0);
}

void DialogScript::Fail(const std::wstring& why) {
    if (!failure_.empty()) return;
    failure_ = why;
    expected_.clear();
    calls_.clear();
    ::SetTimer(helper_, kClosingTimer, kClosingPeriodMs, nullptr);
}

void DialogScript::CloseOpenDialogs() {
    int closed = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfAnswerable, reinterpret_cast<LPARAM>(&closed));
    if (closed == 0) ::KillTimer(helper_, kClosingTimer);
}

LRESULT CALLBACK DialogScript::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_script) t_script->OnActivate(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogScript::OnActivate(HWND window) {
    if (!IsDialogWindow(window) || !seen_.insert(window).second) return;
    if (!expected_.empty() && ::GetDlgItem(window, expected_.front().markId)) {
        Step step = std::move(expected_.front().step);
        expected_.pop_front();
        Later([step, window] {
            if (::IsWindow(window)) step(window);
        });
        return;
    }
    // A message box the walk did not ask for is an answer it did not expect.
    const std::wstring text = MessageBoxText(window);
    std::wstring why = text.empty() ? L"the window \"" + WindowText(window) + L"\" opened"
                                    : L"a message box said \"" + text + L"\"";
    if (!expected_.empty()) why += L" where the " + expected_.front().what + L" was expected";
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Fail(why);
}

LRESULT CALLBACK DialogScript::HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogScript*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kRunCall) {
        if (!self->calls_.empty()) {
            std::function<void()> call = std::move(self->calls_.front());
            self->calls_.pop_front();
            call();
        }
        return 0;
    }
    if (self && message == WM_TIMER && wParam == kTimeLimitTimer) {
        ::KillTimer(window, kTimeLimitTimer);
        self->Fail(L"the walk-through did not finish in time" +
                   (self->expected_.empty() ? std::wstring() : L" (waiting for the " + self->Pending() + L")"));
        return 0;
    }
    if (self && message == WM_TIMER && wParam == kClosingTimer) {
        self->CloseOpenDialogs();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::wstring DialogScript::MessageBoxText(HWND box) {
    // The message is the longest static text (the icon is a static too).
    std::wstring longest;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        ::GetClassNameW(child, name, 16);
        if (lstrcmpiW(name, L"Static") != 0) continue;
        const std::wstring text = WindowText(child);
        if (text.size() > longest.size()) longest = text;
    }
    return longest;
}

bool PressButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    // Its own style: the console's window around the page stays hidden.
    if (!button || !(::GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE) || !::IsWindowEnabled(button)) return false;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    return true;
}
