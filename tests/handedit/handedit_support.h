// Shared pieces of the hand-edit and add-entry dialog tests: the language
// module as resource module, the working copy of the user rule file, calls
// queued behind the messages already posted, and a skin that records calls.
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
#include "win/skin_style.h"
#include "tests/rules/fake_platform.h"

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

// A skin whose window-style object records each call as (table position,
// control id; 0 for a dialog window).  Installed while the object lives.
class RecordingSkin {
public:
    RecordingSkin();
    ~RecordingSkin();
    RecordingSkin(const RecordingSkin&) = delete;
    RecordingSkin& operator=(const RecordingSkin&) = delete;
    bool Installed() const { return installed_; }
    static std::vector<std::pair<int, int>>& Calls();

private:
    bool installed_ = false;
};

// A platform whose application-data folder is a scratch folder of this
// process, so that tests running at the same time in the same prefix never
// share settings files.  The 9x bit can be set as with FakePlatform.
class IsolatedPlatform : public FakePlatform {
public:
    IsolatedPlatform();
    ~IsolatedPlatform() override;
    ShGetFolderPathWFn LookupShGetFolderPath() override;
};

// Fixture base: common controls, an empty private settings folder,
// g_bModified clear.
class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    IsolatedPlatform platform_;
};

// The text a dialog shows for a string of the current language module.
inline std::wstring Text(UINT id) { return LoadResourceString(id); }

}  // namespace handedit_test
