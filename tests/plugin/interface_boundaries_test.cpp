// Allocation failures below each kind of interface boundary, through the
// real plug-in: the boundary answers its failure result and the process
// goes on as before.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "lang/resource.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/console_window.h"
#include "tests/support/modal_script.h"
#include "tests/support/plugin_library.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

const char kRuleFile[] = "[a section name longer than a short string]\r\nHKCU\\Key=value\r\n";

void ClickHandEdit(HWND page) {
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_EDIT_USER_RULES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_EDIT_USER_RULES)));
}

TEST(InterfaceBoundaries, AnAllocationFailureBelowABoundaryGivesItsFailureResult) {
    RemoveTree(SettingsFolder());
    PluginLibrary library(SuiteDir());
    ASSERT_NE(library.Module(), nullptr);
    AllocationFaults faults(library.Module());
    ASSERT_TRUE(faults.Installed());

    // COM: no class object, then no plug-in object without memory.
    void* object = reinterpret_cast<void*>(1);
    {
        AllocationFaults::Armed armed(faults);
        EXPECT_EQ(library.GetClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, &object), E_OUTOFMEMORY);
    }
    EXPECT_EQ(object, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(library.GetClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    object = reinterpret_cast<void*>(1);
    {
        AllocationFaults::Armed armed(faults);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IProductOption, &object), E_OUTOFMEMORY);
    }
    EXPECT_EQ(object, nullptr);
    IProductOption* plugin = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProductOption, reinterpret_cast<void**>(&plugin)), S_OK);
    factory->Release();

    // IProductOption: Load builds the settings paths as strings first.
    const std::wstring workingCopy = SettingsFolder() + L"\\tempRegUser.ini";
    EXPECT_EQ(plugin->Load(), 0);  // makes the settings folder
    {
        AllocationFaults::Armed armed(faults);
        EXPECT_EQ(plugin->Load(), 0);
        EXPECT_TRUE(faults.Refused());
    }
    ASSERT_TRUE(Written(SettingsFolder() + L"\\RegUser.ini", kRuleFile));
    EXPECT_EQ(plugin->Load(), 0);  // and with memory again it loads
    EXPECT_EQ(ReadBytes(workingCopy), kRuleFile);

    // A dialog handler: deleting in the hand-edit dialog copies the row's
    // section name.  The modal dialog ends instead of staying half changed.
    HWND console = MakeConsoleWindow();
    RECT place = {0, 0, 400, 300};
    plugin->CreatePage(console, &place);
    HWND page = ::GetWindow(console, GW_CHILD);
    ASSERT_NE(page, nullptr);
    bool shownAfterFailure = true, refused = false;
    {
        ModalScript script;
        script.Then([&](HWND dialog) {
            SelectListRow(::GetDlgItem(dialog, IDC_HAND_EDIT_LIST), 0);
            {
                AllocationFaults::Armed armed(faults);
                ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HAND_EDIT_DELETE, BN_CLICKED), 0);
                refused = faults.Refused();
            }
            shownAfterFailure = ::IsWindowVisible(dialog) != FALSE;
            // Closed here should it have stayed, so a failure cannot hang the test.
            if (shownAfterFailure) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        ClickHandEdit(page);
        EXPECT_EQ(script.PendingSteps(), 0u);
        EXPECT_EQ(script.UnexpectedWindows(), 0);
    }
    EXPECT_TRUE(refused);
    EXPECT_FALSE(shownAfterFailure);
    EXPECT_EQ(ReadBytes(workingCopy), kRuleFile);

    // The process goes on: the editor opens again and works.
    int rows = -1;
    {
        ModalScript script;
        script.Then([&](HWND dialog) {
            rows = ListRowCount(::GetDlgItem(dialog, IDC_HAND_EDIT_LIST));
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        ClickHandEdit(page);
    }
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(::IsWindow(page));

    plugin->Release();
    ::DestroyWindow(console);
    PumpMessages();
    RemoveTree(SettingsFolder());
}

}  // namespace
