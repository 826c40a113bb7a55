// Drives the modal dialogs of this thread as a user would, for the console's
// walk-through.  A thread CBT hook sees each dialog and message box as it
// becomes active (HCBT_ACTIVATE, which works under Wine's null driver too)
// and hands it to the step that expects a dialog with a given control; the
// step then runs from that dialog's own modal loop, after what was queued
// before it.  Anything else that opens is closed with IDCANCEL and recorded
// as the failure, and once a failure is recorded or the time limit passes,
// every dialog still open is closed, so the console can never hang.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>

class DialogScript {
public:
    using Step = std::function<void(HWND dialog)>;

    explicit DialogScript(UINT timeLimitMs);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    bool Ready() const { return hook_ != nullptr && helper_ != nullptr; }

    // The next dialog that opens must have the control `markId`; `what`
    // names it in messages.
    void Expect(const std::wstring& what, int markId, Step step);
    // Runs `call` from whichever message loop of this thread runs next.
    void Later(std::function<void()> call);

    // Keeps the first failure, drops pending steps and closes what is open.
    void Fail(const std::wstring& why);
    bool Failed() const { return !failure_.empty(); }
    const std::wstring& Failure() const { return failure_; }
    // False while an expected dialog has not come: a click opened nothing.
    bool AllCame() const { return expected_.empty(); }
    // The dialog that `what` of the oldest pending expectation names.
    std::wstring Pending() const { return expected_.empty() ? std::wstring() : expected_.front().what; }

    // The message of a message box: its longest static text.
    static std::wstring MessageBoxText(HWND box);

private:
    struct Expected {
        std::wstring what;
        int markId;
        Step step;
    };
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);
    void CloseOpenDialogs();

    HHOOK hook_ = nullptr;
    HWND helper_ = nullptr;  // message-only: runs the posted calls and the timers
    std::deque<Expected> expected_;
    std::deque<std::function<void()>> calls_;
    std::set<HWND> seen_;
    std::wstring failure_;
};

// Presses a dialog's button as a mouse click does (BM_CLICK), and returns
// when the dialog has handled it, modal loops it opened included.  False
// when the button is not there, not shown or disabled: a user could not
// press it.
bool PressButton(HWND dialog, int id);
