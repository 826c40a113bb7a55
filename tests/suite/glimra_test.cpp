// Glimra.dll: every export resolves, and the window-style object restyles
// real controls through the table positions the settings dialogs call.
#include "win/raii.h"
#include "win/skin_style.h"
#include "tests/suite/suite_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kExports[] = {"GetWindowStyle", "EnableFrameStyledEx", "SetForbidStaticColor", "NewInstance_IQzMenu",
                                "SetGuiConsume",  "GetQzMenuColor",      "QzMenuDraw",           "NotifyStyleChanged"};

enum Position { kDialog = 0, kCheckBox = 2, kRadio = 3, kPushButton = 4, kEdit = 5, kComboBox = 6, kListView = 21 };
const int kUsedPositions[] = {kDialog, kCheckBox, kRadio, kPushButton, kEdit, kComboBox, kListView};
const int kTableSize = 22;

typedef BOOL(STDMETHODCALLTYPE* StyleOperation)(IWindowStyle*, HWND);

class GlimraTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        skin_.reset(LoadLibraryW((SuiteDir() + L"\\Glimra\\Glimra.dll").c_str()));
        ASSERT_TRUE(skin_);
        auto getWindowStyle = reinterpret_cast<GetWindowStyleFn>(GetProcAddress(skin_.get(), "GetWindowStyle"));
        ASSERT_NE(getWindowStyle, nullptr);
        style_ = getWindowStyle();
        ASSERT_NE(style_, nullptr);
        parent_ = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
    }
    HWND Child(const wchar_t* className, DWORD style, DWORD exStyle = 0) {
        return CreateWindowExW(exStyle, className, L"text", WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 60, parent_,
                               nullptr, nullptr, nullptr);
    }
    // Calls the operation the way the dialogs do: by its place in the table.
    BOOL CallAt(int position, HWND window) {
        StyleOperation* table = *reinterpret_cast<StyleOperation**>(style_);
        return table[position](style_, window);
    }

    UniqueModule skin_;
    IWindowStyle* style_ = nullptr;
    HWND parent_ = nullptr;
};

HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); }
LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyleOf(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }

TEST(GlimraExports, AllEightResolveByNameAndTheServicesAnswerZero) {
    UniqueModule skin(LoadLibraryW((SuiteDir() + L"\\Glimra\\Glimra.dll").c_str()));
    ASSERT_TRUE(skin);
    for (const char* name : kExports) EXPECT_NE(GetProcAddress(skin.get(), name), nullptr) << name;
    for (size_t i = 1; i < sizeof(kExports) / sizeof(kExports[0]); ++i) {
        auto service = reinterpret_cast<INT_PTR(__cdecl*)()>(GetProcAddress(skin.get(), kExports[i]));
        ASSERT_NE(service, nullptr);
        EXPECT_EQ(service(), 0) << kExports[i];
    }
    auto getWindowStyle = reinterpret_cast<GetWindowStyleFn>(GetProcAddress(skin.get(), "GetWindowStyle"));
    ASSERT_NE(getWindowStyle, nullptr);
    IWindowStyle* first = getWindowStyle();
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(getWindowStyle(), first);  // one object, never released by callers
}

TEST_F(GlimraTest, PushButtonGetsTheNinePointSkinFontAndTurnsFlat) {
    HWND button = Child(L"BUTTON", BS_PUSHBUTTON);
    ASSERT_NE(button, nullptr);
    HFONT before = FontOf(button);
    EXPECT_TRUE(CallAt(kPushButton, button));
    HFONT after = FontOf(button);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    LOGFONTW font = {};
    ASSERT_EQ(GetObjectW(after, sizeof(font), &font), static_cast<int>(sizeof(font)));
    EXPECT_TRUE(std::wstring(font.lfFaceName) == L"Segoe UI" || std::wstring(font.lfFaceName) == L"Tahoma")
        << testing::PrintToString(std::wstring(font.lfFaceName));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(StyleOf(button) & BS_FLAT, BS_FLAT);
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST_F(GlimraTest, CheckBoxesAndRadioButtonsKeepTheirKind) {
    HWND check = Child(L"BUTTON", BS_AUTOCHECKBOX);
    HWND radio = Child(L"BUTTON", BS_AUTORADIOBUTTON);
    EXPECT_TRUE(CallAt(kCheckBox, check));
    EXPECT_TRUE(CallAt(kRadio, radio));
    EXPECT_EQ(StyleOf(check) & (BS_TYPEMASK | BS_FLAT), BS_AUTOCHECKBOX | BS_FLAT);
    EXPECT_EQ(StyleOf(radio) & (BS_TYPEMASK | BS_FLAT), BS_AUTORADIOBUTTON | BS_FLAT);
    EXPECT_EQ(FontOf(check), FontOf(radio));  // one shared font
}

TEST_F(GlimraTest, ListViewGainsGridLinesAndKeepsItsOwnExtendedStyles) {
    HWND list = Child(WC_LISTVIEWW, LVS_REPORT);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(CallAt(kListView, list));
    DWORD extended = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(extended & (LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT),
              static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT));
    EXPECT_NE(FontOf(list), nullptr);
}

TEST_F(GlimraTest, EditLosesItsSunkenEdgeForAThinBorder) {
    HWND edit = Child(L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(CallAt(kEdit, edit));
    EXPECT_EQ(ExStyleOf(edit) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(StyleOf(edit) & WS_BORDER, WS_BORDER);
    EXPECT_EQ(StyleOf(edit) & ES_AUTOHSCROLL, ES_AUTOHSCROLL);
}

TEST_F(GlimraTest, ComboBoxGetsTheSkinFont) {
    HWND combo = Child(L"COMBOBOX", CBS_DROPDOWNLIST);
    HWND button = Child(L"BUTTON", BS_PUSHBUTTON);
    EXPECT_TRUE(CallAt(kComboBox, combo));
    EXPECT_TRUE(CallAt(kPushButton, button));
    EXPECT_EQ(FontOf(combo), FontOf(button));
}

TEST_F(GlimraTest, DialogStylingReachesEveryChild) {
    HWND label = Child(L"STATIC", SS_LEFT);
    HWND button = Child(L"BUTTON", BS_PUSHBUTTON);
    EXPECT_TRUE(CallAt(kDialog, parent_));
    EXPECT_NE(FontOf(label), nullptr);
    EXPECT_EQ(FontOf(label), FontOf(button));
    EXPECT_EQ(StyleOf(button) & BS_FLAT, 0);  // the look of buttons is their own operation's
}

TEST_F(GlimraTest, ControlsOfAnotherKindAreLeftAlone) {
    HWND edit = Child(L"EDIT", 0);
    HWND group = Child(L"BUTTON", BS_GROUPBOX);
    HWND button = Child(L"BUTTON", BS_PUSHBUTTON);
    const LONG editStyle = StyleOf(edit);
    EXPECT_FALSE(CallAt(kPushButton, edit));  // BS_FLAT's bit means something else to an edit
    EXPECT_FALSE(CallAt(kCheckBox, group));
    EXPECT_FALSE(CallAt(kListView, button));
    EXPECT_FALSE(CallAt(kEdit, button));
    EXPECT_FALSE(CallAt(kComboBox, button));
    EXPECT_EQ(StyleOf(edit), editStyle);
    EXPECT_EQ(StyleOf(group) & BS_FLAT, 0);
    EXPECT_EQ(FontOf(button), nullptr);
}

TEST_F(GlimraTest, GoneOrNullWindowsAreRefused) {
    HWND gone = Child(L"BUTTON", BS_PUSHBUTTON);
    DestroyWindow(gone);
    for (int position : kUsedPositions) {
        EXPECT_FALSE(CallAt(position, nullptr)) << "position " << position;
        EXPECT_FALSE(CallAt(position, gone)) << "position " << position;
    }
}

TEST_F(GlimraTest, PositionsTheDialogsDoNotUseChangeNothing) {
    HWND button = Child(L"BUTTON", BS_PUSHBUTTON);
    const LONG style = StyleOf(button);
    for (int position = 0; position < kTableSize; ++position) {
        bool used = false;
        for (int u : kUsedPositions) used = used || u == position;
        if (used) continue;
        EXPECT_FALSE(CallAt(position, button)) << "position " << position;
    }
    EXPECT_EQ(StyleOf(button), style);
    EXPECT_EQ(FontOf(button), nullptr);
}

}  // namespace
