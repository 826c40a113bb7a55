// Watches this thread's modal dialog from a thread timer, which the dialog's
// own modal loop dispatches: once the dialog has stayed on screen for a
// moment (painted), its rectangle is reported; when the report file is
// deleted, or after the requested time, it is closed as the close box would
// close it.
#pragma once
#include <windows.h>
#include <string>

class DialogWatch {
public:
    // seconds 0: the dialog stays until the process is ended.
    DialogWatch(std::wstring reportPath, unsigned seconds);
    ~DialogWatch();
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;

    bool Started() const { return timer_ != 0; }
    bool Reported() const { return reported_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::wstring reportPath_;
    unsigned seconds_;
    UINT_PTR timer_ = 0;
    HWND candidate_ = nullptr;
    int steadyTicks_ = 0;
    bool reported_ = false;
    bool closing_ = false;
    DWORD reportedAt_ = 0;
};
