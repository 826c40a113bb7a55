#include "dialogs/framework/dialog_impl.h"

#include "win/no_throw.h"

namespace {
// The object whose dialog is being created on this thread: messages that
// arrive before WM_INITDIALOG (WM_SETFONT, ...) find it here.
thread_local CDialogBase* t_creating = nullptr;

// Messages whose dialog-procedure return value is the result itself.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}
}  // namespace

CDialogBase::~CDialogBase() { Detach(); }

void CDialogBase::Detach() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // No dialog procedure at all: the window may outlive this module too.
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::SetWindowLongPtrW(m_hWnd, DWLP_DLGPROC, 0);
    }
    m_hWnd = nullptr;
}

HWND CDialogBase::CreateFromTemplate(UINT templateId, HWND parent, LPARAM param) {
    m_initParam = param;
    t_creating = this;
    HWND window = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    t_creating = nullptr;
    return window;
}

INT_PTR CDialogBase::RunModalFromTemplate(UINT templateId, HWND owner, LPARAM param) {
    m_initParam = param;
    m_bModal = true;
    t_creating = this;
    INT_PTR result = ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), owner, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    t_creating = nullptr;
    return result;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self && t_creating && !::GetWindowLongPtrW(window, DWLP_USER)) {
        // The first message of a window being created: bind it.  Only bind
        // while the window has no owner object yet, so a detached window is
        // never re-bound by another dialog's creation.
        if (message == WM_INITDIALOG || message == WM_SETFONT) {
            self = t_creating;
            t_creating = nullptr;
            self->m_hWnd = window;
            ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self) return FALSE;  // plain dialog handling
    if (message == WM_INITDIALOG) lParam = self->m_initParam;

    LRESULT result = 0;
    BOOL handled = FALSE;
    const bool ran =
        CallNoThrow([&] { handled = self->ProcessWindowMessage(window, message, wParam, lParam, result); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        CallNoThrow([&] { self->OnFinalMessage(window); });
        return handled ? TRUE : FALSE;
    }
    if (!ran) {
        if (self->m_bModal) ::EndDialog(window, -1);
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
