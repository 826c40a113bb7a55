#include "tests/expert/expert_test_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "win/resource_module.h"
#include "rules/rule_store.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace expert_test {

namespace {

HMODULE LanguageModule(Language language) {
    static HMODULE modules[2] = {
        ::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0409.lng").c_str()),
        ::LoadLibraryW((SuiteDir() + L"\\AntiVirus\\lang\\VtPesTrol0804.lng").c_str()),
    };
    return modules[language];
}

void CopyWide(const std::wstring& text, wchar_t* field, size_t size) {
    std::wcsncpy(field, text.c_str(), size - 1);
    field[size - 1] = 0;
}

}  // namespace

const wchar_t* LanguageName(Language language) { return language == kEnglish ? L"English" : L"Chinese"; }

void SelectLanguage(Language language) { SetResourceModule(LanguageModule(language)); }

std::wstring Text(UINT id) { return LoadResourceString(id); }

RuleCategory Category(int32_t id, const std::wstring& name, int32_t action, int32_t mode, int32_t adminOnly) {
    RuleCategory category = {};
    category.id = id;
    CopyWide(name, category.wideName, 64);
    std::string narrow = Narrow(name);
    std::strncpy(category.name, narrow.c_str(), sizeof(category.name) - 1);
    category.action = action;
    category.mode = mode;
    category.adminOnly = adminOnly;
    return category;
}

RuleItem Item(uint32_t root, const char* keyPath, const char* name, uint32_t flags) {
    RuleItem item = {};
    item.root = root;
    std::strncpy(item.keyPath, keyPath, sizeof(item.keyPath) - 1);
    std::strncpy(item.name, name, sizeof(item.name) - 1);
    CopyWide(Widen(name), item.wideName, 256);
    item.flags = flags;
    return item;
}

void FillStore(const std::vector<RuleCategory>& categories, const std::vector<std::vector<RuleItem>>& items) {
    ReleaseRuleStore();
    g_ruleStore.categories = static_cast<RuleCategory*>(std::calloc(kMaxCategories, sizeof(RuleCategory)));
    for (size_t c = 0; c < categories.size(); ++c) {
        g_ruleStore.categories[c] = categories[c];
        g_ruleStore.categories[c].items = nullptr;
        if (c < items.size())
            for (auto it = items[c].rbegin(); it != items[c].rend(); ++it) PrependItem(&g_ruleStore.categories[c], &*it);
    }
    g_ruleStore.count = static_cast<uint32_t>(categories.size());
}

std::vector<std::string> StoreKeyPaths(uint32_t category) {
    std::vector<std::string> paths;
    for (const RuleItem* item = g_ruleStore.categories[category].items; item; item = item->next)
        paths.emplace_back(item->keyPath);
    return paths;
}

// ---------------------------------------------------------------------------

FakeMonitor::FakeMonitor() {
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    ::WaitForSingleObject(ready_, 5000);
}

FakeMonitor::~FakeMonitor() {
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
}

LRESULT CALLBACK FakeMonitor::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeMonitor*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COMMAND && self) {
        if (wParam == 6005 && lParam == 0) ++self->commands_;
        return 0;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void FakeMonitor::Run() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VtpsExpertTestMonitor";
    ::RegisterClassW(&windowClass);
    window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"Veltrane Registry Monitor Ex", WS_OVERLAPPEDWINDOW,
                                0, 0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetEvent(ready_);
    MSG message;
    while (window_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
}

// ---------------------------------------------------------------------------

void EditorTest::SetUp() {
    DialogTest::SetUp();
    SelectLanguage(kEnglish);
    platform_.tokenIsAdmin = true;
}

// ---------------------------------------------------------------------------

LRESULT SendNotify(HWND dialog, int id, UINT code) {
    NMHDR header = {};
    header.hwndFrom = ::GetDlgItem(dialog, id);
    header.idFrom = static_cast<UINT_PTR>(id);
    header.code = code;
    return ::SendMessageW(dialog, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
}

bool HasVisibleStyle(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

std::vector<std::wstring> ComboEntries(HWND combo) {
    std::vector<std::wstring> entries;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        entries.push_back(text);
    }
    return entries;
}

std::wstring ColumnHeader(HWND list, int column) {
    wchar_t text[256] = {};
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
    return text;
}

}  // namespace expert_test

namespace expert_test {

testing_support::ModalScript::Step AnswerThenCommand(BoxLog& log, HWND& dialog, int command, int button) {
    return [&log, &dialog, command, button](HWND box) {
        log.texts.push_back(ModalScript::MessageBoxText(box));
        log.captions.push_back(ModalScript::WindowText(box));
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    };
}

}  // namespace expert_test
