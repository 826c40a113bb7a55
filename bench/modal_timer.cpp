#include "modal_timer.h"

namespace {

const wchar_t kOwnerClass[] = L"VtpsDialogBenchOwner";
const UINT kRunPostedCall = WM_APP + 1;

}  // namespace

ModalTimer::ModalTimer() {
    static const ATOM registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kOwnerClass;
        return ::RegisterClassW(&windowClass);
    }();
    if (!registered) return;
    // A top-level window (never shown): a message-only window cannot own a dialog.
    owner_ = ::CreateWindowExW(0, kOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    if (owner_) ::SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ModalTimer::~ModalTimer() {
    if (owner_) ::DestroyWindow(owner_);
}

double ModalTimer::Open(const std::function<void(HWND)>& runModal, const std::function<void(HWND)>& whileOpen) {
    if (!owner_) return -1;
    openMs_ = -1;
    whileOpen_ = &whileOpen;
    watch_ = Stopwatch();
    runModal(owner_);
    whileOpen_ = nullptr;
    return openMs_;
}

void ModalTimer::OnFirstIdle(HWND dialog) {
    const std::function<void(HWND)>* whileOpen = whileOpen_;
    whileOpen_ = nullptr;
    // The loop shows the dialog on its first empty queue; the paint that
    // follows is part of what the user waits for.
    ::UpdateWindow(dialog);
    openMs_ = watch_.Milliseconds();
    Post([whileOpen, dialog] {
        (*whileOpen)(dialog);
        if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
}

void ModalTimer::Post(std::function<void()> call) {
    calls_.push_back(std::move(call));
    ::PostMessageW(owner_, kRunPostedCall, 0, 0);
}

LRESULT CALLBACK ModalTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ModalTimer*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && self->whileOpen_) {
        self->OnFirstIdle(reinterpret_cast<HWND>(lParam));
        return 0;
    }
    if (self && message == kRunPostedCall && !self->calls_.empty()) {
        std::function<void()> call = std::move(self->calls_.front());
        self->calls_.pop_front();
        call();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
