#include "tests/handedit/handedit_support.h"

#include <cstring>

#include "win/settings_files.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace handedit_test {

LanguageModule::LanguageModule(const wchar_t* language) {
    const std::wstring path = SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol" + language + L".lng";
    module_ = ::LoadLibraryW(path.c_str());
    if (module_) previous_ = SetResourceModule(module_);
}

LanguageModule::~LanguageModule() {
    if (!module_) return;
    SetResourceModule(previous_);
    ::FreeLibrary(module_);
}

std::wstring WorkingRuleFile() {
    wchar_t path[MAX_PATH] = {};
    BuildSettingsPath(kRegUserIniName, path, MAX_PATH, false);
    return path;
}

void RemoveWorkingRuleFile() {
    const std::string path = Narrow(WorkingRuleFile());
    // Drop the profile functions' cached copy before the file goes.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    ::DeleteFileA(path.c_str());
}

void WriteWorkingRuleFile(const std::string& ansiText) {
    RemoveWorkingRuleFile();
    ASSERT_TRUE(Written(WorkingRuleFile(), ansiText));
}

bool WorkingRuleFileExists() { return FileExists(WorkingRuleFile()); }

namespace {
std::vector<std::string> SplitNulList(const std::vector<char>& buffer) {
    std::vector<std::string> items;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) items.push_back(p);
    return items;
}
}  // namespace

std::vector<std::string> RuleFileSections() {
    std::vector<char> buffer(1 << 20, '\0');
    ::GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                     Narrow(WorkingRuleFile()).c_str());
    return SplitNulList(buffer);
}

std::vector<std::string> RuleFileSectionLines(const std::string& section) {
    std::vector<char> buffer(1 << 20, '\0');
    ::GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                Narrow(WorkingRuleFile()).c_str());
    return SplitNulList(buffer);
}

PostedCalls::PostedCalls() {
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VtpsHandEditPostedCalls";
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    window_ = ::CreateWindowExW(0, L"VtpsHandEditPostedCalls", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PostedCalls::~PostedCalls() {
    if (window_) ::DestroyWindow(window_);
}

void PostedCalls::Post(std::function<void()> call) {
    calls_.push_back(std::move(call));
    ::PostMessageW(window_, WM_APP, 0, 0);
}

LRESULT CALLBACK PostedCalls::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        auto* self = reinterpret_cast<PostedCalls*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && !self->calls_.empty()) {
            std::function<void()> call = std::move(self->calls_.front());
            self->calls_.pop_front();
            call();
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace handedit_test
