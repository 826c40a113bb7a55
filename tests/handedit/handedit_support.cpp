#include "tests/handedit/handedit_support.h"

#include <cstring>

#include "win/dll_module.h"
#include "win/settings_files.h"
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
    ASSERT_TRUE(WriteBytes(WorkingRuleFile(), ansiText));
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

namespace {

// Records (position, control id) for every operation of the table.
class RecordingStyle : public IWindowStyle {
public:
#define VTPS_RECORD(name, position) \
    BOOL STDMETHODCALLTYPE name(HWND window) override { return Record(position, window); }
    VTPS_RECORD(StyleDialog, 0)
    VTPS_RECORD(StyleStatic, 1)
    VTPS_RECORD(StyleCheckBox, 2)
    VTPS_RECORD(StyleCheckButton, 3)
    VTPS_RECORD(StylePushButton, 4)
    VTPS_RECORD(StyleEdit, 5)
    VTPS_RECORD(StyleComboBox, 6)
    VTPS_RECORD(StyleGroupBox, 7)
    VTPS_RECORD(StyleListBox, 8)
    VTPS_RECORD(StyleScrollBar, 9)
    VTPS_RECORD(StyleTab, 10)
    VTPS_RECORD(StyleTree, 11)
    VTPS_RECORD(StyleProgress, 12)
    VTPS_RECORD(StyleSlider, 13)
    VTPS_RECORD(StyleSpin, 14)
    VTPS_RECORD(StyleHeader, 15)
    VTPS_RECORD(StyleToolbar, 16)
    VTPS_RECORD(StyleStatusBar, 17)
    VTPS_RECORD(StyleRichEdit, 18)
    VTPS_RECORD(StyleHyperlink, 19)
    VTPS_RECORD(StyleFrame, 20)
    VTPS_RECORD(StyleListView, 21)
#undef VTPS_RECORD

private:
    static BOOL Record(int position, HWND window) {
        const bool isChild = (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
        RecordingSkin::Calls().emplace_back(position, isChild ? ::GetDlgCtrlID(window) : 0);
        return TRUE;
    }
};

RecordingStyle g_recordingStyle;
IWindowStyle* WINAPI RecordingGetWindowStyle() { return &g_recordingStyle; }

}  // namespace

std::vector<std::pair<int, int>>& RecordingSkin::Calls() {
    static std::vector<std::pair<int, int>> calls;
    return calls;
}

RecordingSkin::RecordingSkin() {
    Calls().clear();
    // The real library makes the skin "loaded"; its style object is swapped.
    Common::CGlimraModule& skin = Common::GlimraModule();
    installed_ = skin.Load((SuiteDir() + L"\\Glimra\\Glimra.dll").c_str());
    skin.m_pfnGetWindowStyle = RecordingGetWindowStyle;
}

RecordingSkin::~RecordingSkin() {
    Common::GlimraModule().Free();
    Common::GlimraModule().m_pfnGetWindowStyle = nullptr;
}

namespace {

const std::wstring& ScratchAppData() {
    static const std::wstring folder = [] {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"vtps-handedit-" + std::to_wstring(::GetCurrentProcessId());
    }();
    return folder;
}

HRESULT WINAPI ScratchFolderPath(HWND, int, HANDLE, DWORD, LPWSTR path) {
    ::lstrcpynW(path, ScratchAppData().c_str(), MAX_PATH);
    return S_OK;
}

}  // namespace

IsolatedPlatform::IsolatedPlatform() {
    RemoveTree(ScratchAppData());
    ::CreateDirectoryW(ScratchAppData().c_str(), nullptr);
}

IsolatedPlatform::~IsolatedPlatform() {
    // Let go of the profile functions' cached copy before the folder goes.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, WorkingRuleFile().c_str());
    RemoveTree(ScratchAppData());
}

ShGetFolderPathWFn IsolatedPlatform::LookupShGetFolderPath() { return ScratchFolderPath; }

void DialogTest::SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
}

void DialogTest::SetUp() {
    ASSERT_EQ(WorkingRuleFile().rfind(ScratchAppData(), 0), 0u);
    RemoveWorkingRuleFile();
    g_bModified = false;
}

void DialogTest::TearDown() { RemoveWorkingRuleFile(); }

}  // namespace handedit_test
