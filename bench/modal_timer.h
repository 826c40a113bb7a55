// Times the opening of modal dialogs as the user sees it: from the call that
// runs the dialog to its first idle moment, when the modal loop has shown
// the dialog and finds no message left (the loop tells the dialog's owner
// with WM_ENTERIDLE), including the first paint.  The dialogs are owned by a
// hidden window of the timer; work on an open dialog runs from its modal
// loop, as a user's input would.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>

#include "stopwatch.h"

class ModalTimer {
public:
    ModalTimer();
    ~ModalTimer();
    ModalTimer(const ModalTimer&) = delete;
    ModalTimer& operator=(const ModalTimer&) = delete;

    bool Ready() const { return owner_ != nullptr; }

    // Calls runModal(owner), which runs one dialog modally with that owner.
    // At the dialog's first idle moment the opening time is taken; then
    // whileOpen(dialog) runs from the dialog's modal loop, and the dialog is
    // closed with WM_CLOSE.  Answers the opening time in milliseconds, or a
    // negative value when no dialog of this owner became idle.
    double Open(const std::function<void(HWND owner)>& runModal, const std::function<void(HWND dialog)>& whileOpen);

    // Runs `call` from the thread's message loop, after the messages that
    // are already posted.
    void Post(std::function<void()> call);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnFirstIdle(HWND dialog);

    HWND owner_ = nullptr;
    std::deque<std::function<void()>> calls_;
    // Set while Open waits for its dialog's first idle moment.
    const std::function<void(HWND)>* whileOpen_ = nullptr;
    Stopwatch watch_;
    double openMs_ = -1;
};
