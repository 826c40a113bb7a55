// A thin dialog framework in the shape of WTL's CDialogImpl: a dialog is a
// class with a template id (T::IDD) and a message table; the window's
// messages reach ProcessWindowMessage with both parameters and a result.
// Templates come from the resource module (the language module).
#pragma once
#include <windows.h>

#include "win/resource_module.h"

class CDialogBase {
public:
    HWND m_hWnd = nullptr;

    CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;
    // The window may outlive the object (a child page inside the console's
    // window): it is handed back to plain dialog handling, so no message is
    // ever routed into freed memory.
    virtual ~CDialogBase();

    // The message table: TRUE when handled, with the result in `result`.
    // Every handler of every dialog runs through the one dialog procedure,
    // which lets no exception out: a message whose handler throws is
    // answered as unhandled, and a modal dialog then ends with -1 (as one
    // that could not be made), its object being half changed; a modeless
    // page stays where the console shows it.
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // Called after WM_NCDESTROY, once m_hWnd is null again.
    virtual void OnFinalMessage(HWND window) {}

    BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

protected:
    HWND CreateFromTemplate(UINT templateId, HWND parent, LPARAM param);
    INT_PTR RunModalFromTemplate(UINT templateId, HWND owner, LPARAM param);
    // The init parameter the caller gave Create/DoModal (WM_INITDIALOG's
    // lParam carries the framework's own pointer).
    LPARAM m_initParam = 0;
    // Run by DoModal: a handler that throws ends the dialog.
    bool m_bModal = false;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
};

template <class T>
class CDialogImpl : public CDialogBase {
public:
    // Modeless (a child page): the new window, or null.
    HWND Create(HWND parent, LPARAM param = 0) { return CreateFromTemplate(T::IDD, parent, param); }
    // Modal: the value passed to EndDialog, or -1 when no dialog was created.
    INT_PTR DoModal(HWND owner = ::GetActiveWindow(), LPARAM param = 0) {
        return RunModalFromTemplate(T::IDD, owner, param);
    }
};

// Message-table macros.  Handlers have WTL's shapes:
//   LRESULT OnX(UINT message, WPARAM, LPARAM, BOOL& handled)
//   LRESULT OnX(WORD code, WORD id, HWND control, BOOL& handled)
//   LRESULT OnX(int id, LPNMHDR header, BOOL& handled)
#define BEGIN_MSG_MAP(thisClass)                                                                   \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) \
        override {                                                                                 \
        BOOL bHandled = TRUE;                                                                      \
        (void)hWnd;                                                                                \
        (void)bHandled;

#define MESSAGE_HANDLER(msg, func)                               \
    if (uMsg == (msg)) {                                         \
        bHandled = TRUE;                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);          \
        if (bHandled) return TRUE;                               \
    }

#define COMMAND_HANDLER(id, code, func)                                                          \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {              \
        bHandled = TRUE;                                                                         \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
        if (bHandled) return TRUE;                                                               \
    }

#define COMMAND_ID_HANDLER(id, func)                                                             \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                          \
        bHandled = TRUE;                                                                         \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
        if (bHandled) return TRUE;                                                               \
    }

#define NOTIFY_HANDLER(id, cd, func)                                                                 \
    if (uMsg == WM_NOTIFY && reinterpret_cast<LPNMHDR>(lParam)->idFrom == static_cast<UINT_PTR>(id) && \
        reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(cd)) {                          \
        bHandled = TRUE;                                                                             \
        lResult = func(static_cast<int>(id), reinterpret_cast<LPNMHDR>(lParam), bHandled);           \
        if (bHandled) return TRUE;                                                                   \
    }

#define END_MSG_MAP() \
    return FALSE;     \
    }
