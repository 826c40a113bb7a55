// Shared pieces of the rule-editor dialog tests: the two real language
// modules, a rule store in memory over the settings folder of the test
// prefix, a stand-in registry monitor and helpers that drive modeless
// dialogs next to a ModalScript.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/rule_records.h"
#include "tests/support/dialog_test.h"
#include "tests/support/keyboard_input.h"
#include "tests/support/layout_check.h"
#include "tests/support/modal_script.h"
#include "tests/support/recording_skin.h"

namespace expert_test {

enum Language { kEnglish, kChinese };
const wchar_t* LanguageName(Language language);

// Both language modules, loaded once per process; Select makes one the
// resource module.
void SelectLanguage(Language language);
// String `id` of the current language module.
std::wstring Text(UINT id);

RuleCategory Category(int32_t id, const std::wstring& name, int32_t action = 0, int32_t mode = 2,
                      int32_t adminOnly = 0);
RuleItem Item(uint32_t root, const char* keyPath, const char* name, uint32_t flags = 2);

// Replaces the rule store with the given categories (each with its items in
// list order) in a fresh zero-filled array of 1000 records.
void FillStore(const std::vector<RuleCategory>& categories, const std::vector<std::vector<RuleItem>>& items = {});
// The key paths of a store category's items in list order.
std::vector<std::string> StoreKeyPaths(uint32_t category);

// A top-level window titled as the registry monitor, run by its own thread;
// counts the rules-changed commands it receives.
class FakeMonitor {
public:
    FakeMonitor();
    ~FakeMonitor();
    FakeMonitor(const FakeMonitor&) = delete;
    FakeMonitor& operator=(const FakeMonitor&) = delete;
    bool Created() const { return window_ != nullptr; }
    int Commands() const { return commands_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    std::atomic<int> commands_{0};
    HWND window_ = nullptr;
    HANDLE ready_ = nullptr;
    std::thread thread_;
};

// The shared dialog fixture with English resources and an administrator
// token (tests that need another answer set it).
class EditorTest : public testing_support::DialogTest {
protected:
    void SetUp() override;

    // Creates the dialog modeless and shows it; the script's first step
    // belongs to it, so later activations of it consume no step.
    template <class Dialog>
    HWND ShowModeless(Dialog& dialog, testing_support::ModalScript& script) {
        script.Then([](HWND) {});
        HWND window = dialog.Create(nullptr);
        if (window) ::ShowWindow(window, SW_SHOW);
        return window;
    }
};

// Sends WM_NOTIFY with `code` from control `id` of `dialog`; answers the
// dialog's result.
LRESULT SendNotify(HWND dialog, int id, UINT code);
// Whether the window has WS_VISIBLE itself (its parent may be hidden).
bool HasVisibleStyle(HWND window);
std::vector<std::wstring> ComboEntries(HWND combo);
// The header text of a report-view column.
std::wstring ColumnHeader(HWND list, int column);

}  // namespace expert_test


namespace expert_test {
// Message boxes seen by AnswerThenCommand steps.
struct BoxLog {
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;
};
// A step for a message box over `*dialog`: records the box's text and
// caption in `log`, presses `button`, then posts `command` (BN_CLICKED) to
// the dialog beneath.  The box ends first, so the command reaches the
// dialog only if the dialog is still open.
testing_support::ModalScript::Step AnswerThenCommand(BoxLog& log, HWND& dialog, int command, int button = IDOK);
}  // namespace expert_test
