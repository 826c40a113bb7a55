#include "tests/support/modal_script.h"

#include <commctrl.h>

#include <map>

namespace testing_support {

namespace {
thread_local ModalScript* t_script = nullptr;

bool IsDialogWindow(HWND window) {
    wchar_t cls[64] = {};
    ::GetClassNameW(window, cls, 64);
    return std::wstring(cls) == L"#32770";
}
}  // namespace

ModalScript::ModalScript() {
    t_script = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
}

ModalScript::~ModalScript() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    t_script = nullptr;
}

ModalScript& ModalScript::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::AnswerMessageBox(int button) {
    return Then([this, button](HWND box) {
        texts_.push_back(MessageBoxText(box));
        captions_.push_back(WindowText(box));
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
}

LRESULT CALLBACK ModalScript::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_script) t_script->OnActivate(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ModalScript::OnActivate(HWND window) {
    if (!IsDialogWindow(window) || !seen_.insert(window).second) return;
    if (steps_.empty()) {
        ++unexpected_;
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(window);
}

std::wstring ModalScript::WindowText(HWND window) {
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return text;
}

std::wstring ModalScript::MessageBoxText(HWND box) {
    // The message is the longest static text (the icon is a static too).
    std::wstring best;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") != 0) continue;
        std::wstring text = WindowText(child);
        if (text.size() > best.size()) best = text;
    }
    return best;
}

namespace {
struct PendingAction {
    HWND window;
    std::function<void()> action;
};

std::map<UINT_PTR, PendingAction>& PendingActions() {
    static std::map<UINT_PTR, PendingAction> actions;
    return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = PendingActions().find(timer);
    if (found == PendingActions().end()) {
        ::KillTimer(nullptr, timer);
        return;
    }
    if (!::IsWindowVisible(found->second.window)) return;  // try again at the next tick
    ::KillTimer(nullptr, timer);
    std::function<void()> action = std::move(found->second.action);
    PendingActions().erase(found);
    action();
}
}  // namespace

void RunWhenShown(HWND window, std::function<void()> action) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, RunPendingAction);
    PendingActions()[timer] = PendingAction{window, std::move(action)};
}

void SetControlText(HWND dialog, int id, const std::wstring& text) {
    ::SetDlgItemTextW(dialog, id, text.c_str());
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void ClickButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void SendCommand(HWND dialog, int id, int code) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool IsChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
    ::CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int ListRowCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListCell(HWND list, int row, int column) {
    wchar_t text[1100] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1100;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::vector<std::wstring>> ListRows(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    for (int r = 0; r < ListRowCount(list); ++r) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) row.push_back(ListCell(list, r, c));
        rows.push_back(row);
    }
    return rows;
}

void SelectListRow(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace testing_support
