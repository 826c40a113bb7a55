// Shared pieces of the hand-edit and add-entry dialog tests: the language
// module as resource module, the working copy of the user rule file, and
// calls queued behind the messages already posted.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/modified_flag.h"
#include "win/resource_module.h"
#include "tests/support/dialog_test.h"
#include "tests/support/recording_skin.h"

namespace handedit_test {

// Loads VtPesTrol<language>.lng from the suite folder and makes it the
// resource module while the object lives.
class LanguageModule {
public:
    explicit LanguageModule(const wchar_t* language);
    ~LanguageModule();
    LanguageModule(const LanguageModule&) = delete;
    LanguageModule& operator=(const LanguageModule&) = delete;
    bool Loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
    HINSTANCE previous_ = nullptr;
};

// The working copy of RegUser.ini in the prefix's settings folder.
std::wstring WorkingRuleFile();
void WriteWorkingRuleFile(const std::string& ansiText);
void RemoveWorkingRuleFile();
bool WorkingRuleFileExists();
// Section names of the working copy, in file order.
std::vector<std::string> RuleFileSections();
// The "key=value" lines of one section of the working copy.
std::vector<std::string> RuleFileSectionLines(const std::string& section);

// Runs functions from the thread's message loop, after the messages that
// were posted before them (so after a posted click has been handled).
class PostedCalls {
public:
    PostedCalls();
    ~PostedCalls();
    PostedCalls(const PostedCalls&) = delete;
    PostedCalls& operator=(const PostedCalls&) = delete;
    void Post(std::function<void()> call);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::deque<std::function<void()>> calls_;
};

using testing_support::DialogTest;
using testing_support::RecordingSkin;

// The text a dialog shows for a string of the current language module.
inline std::wstring Text(UINT id) { return LoadResourceString(id); }

}  // namespace handedit_test
