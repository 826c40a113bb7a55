// The module registered and unregistered by the system's regsvr32.
#include <gtest/gtest.h>

#include "com_test_support.h"

namespace {

DWORD RunRegsvr32(const std::wstring& arguments) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    ::CloseHandle(process.hThread);
    DWORD code = 0xFFFFFFFE;
    if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return code;
}

TEST(Regsvr32Test, RegistersAndUnregistersTheModule) {
    RemoveRegistration();
    const std::wstring dll = SuiteDllPath();
    ASSERT_EQ(0u, RunRegsvr32(L"/s \"" + dll + L"\""));

    const std::wstring cls = kClassKey;
    EXPECT_EQ(L"VtPsSetPlugin Class", ClassesValue(cls));
    EXPECT_EQ(0, ::lstrcmpiW(dll.c_str(), ClassesValue(cls + L"\\InprocServer32").c_str()))
        << ::testing::PrintToString(ClassesValue(cls + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", ClassesValue(cls + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(kRegisteredClsid, ClassesValue(std::wstring(kProgIdKey) + L"\\CLSID"));
    EXPECT_EQ(L"VtPestrolSet", ClassesValue(kAppIdKey));
    EXPECT_EQ(kAppId, ClassesValue(kAppIdNameKey, L"AppID"));
    EXPECT_EQ(L"VtPestrolSet 1.0 Type Library", ClassesValue(std::wstring(kTypeLibKey) + L"\\1.0"));

    ASSERT_EQ(0u, RunRegsvr32(L"/s /u \"" + dll + L"\""));
    for (const wchar_t* key : kRegisteredKeys)
        EXPECT_FALSE(ClassesKeyExists(key)) << "left behind: " << ::testing::PrintToString(key);
    EXPECT_TRUE(ClassesKeyExists(L"CLSID"));
    EXPECT_TRUE(ClassesKeyExists(L"AppID"));
    RemoveRegistration();
}

}  // namespace
