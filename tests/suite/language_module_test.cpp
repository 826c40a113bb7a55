// The language modules as the plug-in uses them: loaded by path, strings by
// id, the settings page template created as a child of a console window.
#include "lang/resource.h"
#include "win/raii.h"
#include "win/skin_style.h"
#include "tests/suite/suite_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Language {
    LANGID id;
    const wchar_t* title;
    const wchar_t* userCategoryName;
    const wchar_t* fontFace;
};

void PrintTo(const Language& language, std::ostream* out) { *out << std::hex << language.id; }

std::wstring ModulePath(LANGID id) {
    wchar_t name[32];
    wsprintfW(name, L"VtPesTrol%04X.lng", id);
    return SuiteDir() + L"\\AntiVirus\\lang\\" + name;
}

std::wstring LoadText(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// Every text of the page fits its control in the font the control has now:
// wrapped statics in their height, buttons on one line within their face.
void ExpectTextsFit(HWND page, const char* fontNote) {
    HDC dc = GetDC(page);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[512];
        int length = GetWindowTextW(child, text, 512);
        if (length == 0) continue;
        RECT client;
        GetClientRect(child, &client);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        const bool isButton = ClassOf(child) == L"Button";
        RECT needed = {0, 0, isButton ? 10000 : client.right, 0};
        DrawTextW(dc, text, length, &needed, DT_CALCRECT | (isButton ? DT_SINGLELINE : DT_WORDBREAK));
        SelectObject(dc, previous);
        const int buttonEdges = 8;  // border and focus frame on both sides
        if (isButton) {
            EXPECT_LE(needed.right + buttonEdges, client.right) << fontNote << ", control " << GetDlgCtrlID(child);
        } else {
            EXPECT_LE(needed.bottom, client.bottom) << fontNote << ": text cut off: " << testing::PrintToString(std::wstring(text));
        }
    }
    ReleaseDC(page, dc);
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class LanguageModuleTest : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override {
        module_.reset(LoadLibraryW(ModulePath(GetParam().id).c_str()));
        ASSERT_TRUE(module_) << "error " << GetLastError();
        console_ = CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(console_, nullptr);
    }
    void TearDown() override {
        if (console_) DestroyWindow(console_);  // the page goes with it
    }
    HWND CreatePage() {
        return CreateDialogParamW(module_.get(), MAKEINTRESOURCEW(IDD_SETTINGS_PAGE), console_, PageProc, 0);
    }

    UniqueModule module_;
    HWND console_ = nullptr;
};

TEST_P(LanguageModuleTest, HoldsOnlyResources) {
    auto base = reinterpret_cast<const BYTE*>(module_.get());
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress != 0) {
        auto first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        EXPECT_EQ(first->Name, 0u) << "the module imports a library";
    }
}

TEST_P(LanguageModuleTest, CarriesThePageTitleAndTheUserCategoryTexts) {
    EXPECT_EQ(LoadText(module_.get(), IDS_PAGE_TITLE), GetParam().title);
    EXPECT_EQ(LoadText(module_.get(), IDS_USER_CATEGORY_NAME), GetParam().userCategoryName);
    EXPECT_FALSE(LoadText(module_.get(), IDS_USER_CATEGORY_DESCRIPTION).empty());
    EXPECT_FALSE(LoadText(module_.get(), IDS_USER_CATEGORY_EXTRA).empty());
}

TEST_P(LanguageModuleTest, SettingsPageIsAChildDialogWithBothButtons) {
    HWND page = CreatePage();
    ASSERT_NE(page, nullptr) << "error " << GetLastError();

    const LONG style = GetWindowLongW(page, GWL_STYLE);
    EXPECT_EQ(style & WS_CHILD, WS_CHILD);
    EXPECT_EQ(style & DS_CONTROL, DS_CONTROL);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_EQ(style & WS_VISIBLE, 0);  // the plug-in places it first, then shows it
    EXPECT_EQ(GetParent(page), console_);

    for (int id : {IDC_EXPERT_RULES, IDC_EDIT_USER_RULES}) {
        HWND button = GetDlgItem(page, id);
        ASSERT_NE(button, nullptr) << "control " << id;
        EXPECT_EQ(ClassOf(button), L"Button");
        LONG type = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        EXPECT_TRUE(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) << "control " << id;
        EXPECT_GT(GetWindowTextLengthW(button), 0) << "control " << id;
    }

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), GetParam().fontFace);
}

// Laid out by hand in dialog units: nothing may stick out or cover another control.
TEST_P(LanguageModuleTest, SettingsPageControlsLieInsideThePageApart) {
    HWND page = CreatePage();
    ASSERT_NE(page, nullptr);
    RECT client;
    GetClientRect(page, &client);
    std::vector<RECT> placed;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << "control " << GetDlgCtrlID(child);
        for (const RECT& other : placed) {
            RECT overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << "control " << GetDlgCtrlID(child);
        }
        placed.push_back(r);
    }
    EXPECT_GE(placed.size(), 3u);  // the explanation and the two buttons
}

// The plug-in styles the page through the skin, which changes its fonts.
TEST_P(LanguageModuleTest, SettingsPageTextsFitInTheTemplateFontAndTheSkinFont) {
    HWND page = CreatePage();
    ASSERT_NE(page, nullptr);
    ExpectTextsFit(page, "template font");

    UniqueModule skin(LoadLibraryW((SuiteDir() + L"\\Glimra\\Glimra.dll").c_str()));
    ASSERT_TRUE(skin);
    auto getWindowStyle = reinterpret_cast<GetWindowStyleFn>(GetProcAddress(skin.get(), "GetWindowStyle"));
    ASSERT_NE(getWindowStyle, nullptr);
    IWindowStyle* style = getWindowStyle();
    ASSERT_NE(style, nullptr);
    style->StyleDialog(page);
    style->StylePushButton(GetDlgItem(page, IDC_EXPERT_RULES));
    style->StylePushButton(GetDlgItem(page, IDC_EDIT_USER_RULES));
    ExpectTextsFit(page, "skin font");
    DestroyWindow(page);  // before the skin's font goes with the library
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageModuleTest,
                         ::testing::Values(Language{0x0409, L"Registry Protection", L"User Rules", L"MS Shell Dlg"},
                                           Language{0x0804, L"注册表防护", L"用户规则", L"SimSun"}));

}  // namespace
