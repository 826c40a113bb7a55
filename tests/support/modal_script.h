// Scripted answers to modal dialogs and message boxes in UI tests.  A thread
// CBT hook sees every window that becomes active (HCBT_ACTIVATE, which works
// under Wine's null driver); the first activation of each new window runs the
// next step of the script on it.  Steps act on the window and post the
// command that ends it, so the modal loop under test handles it normally.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

class ModalScript {
public:
    using Step = std::function<void(HWND)>;

    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Adds a step for the next new window that becomes active.
    ModalScript& Then(Step step);
    // A step for a message box: records its text and caption, then presses
    // the button with the given id (IDOK, IDCANCEL, ...).
    ModalScript& AnswerMessageBox(int button = IDOK);

    // Texts and captions of the message boxes answered so far, in order.
    const std::vector<std::wstring>& MessageTexts() const { return texts_; }
    const std::vector<std::wstring>& MessageCaptions() const { return captions_; }
    // Steps not yet used (a test expecting a box that never came sees them).
    size_t PendingSteps() const { return steps_.size(); }
    // Windows that became active with no step left for them (and were closed
    // with IDCANCEL so the test cannot hang).
    int UnexpectedWindows() const { return unexpected_; }

    // The message text of a message box window.
    static std::wstring MessageBoxText(HWND box);
    static std::wstring WindowText(HWND window);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);

    HHOOK hook_ = nullptr;
    std::deque<Step> steps_;
    std::set<HWND> seen_;
    std::vector<std::wstring> texts_;
    std::vector<std::wstring> captions_;
    int unexpected_ = 0;
};

// Runs `action` from the thread's message loop once `window` is visible,
// outside any hook callback (a thread timer).  A dialog is activated before
// its modal loop shows it; steps use this for work that needs the dialog on
// screen, such as moving or checking the focus.
void RunWhenShown(HWND window, std::function<void()> action);

// Control helpers for steps and tests.
void SetControlText(HWND dialog, int id, const std::wstring& text);
std::wstring ControlText(HWND dialog, int id);
void ClickButton(HWND dialog, int id);        // posts WM_COMMAND(id, BN_CLICKED)
void SendCommand(HWND dialog, int id, int code = 0);  // sends WM_COMMAND
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);

// Rows and cells of a report-view list.
int ListRowCount(HWND list);
std::wstring ListCell(HWND list, int row, int column);
std::vector<std::vector<std::wstring>> ListRows(HWND list, int columns);
void SelectListRow(HWND list, int row);

}  // namespace testing_support
