// The module registered and unregistered by the system's regsvr32.
#include <gtest/gtest.h>

#include "com_test_support.h"

namespace {

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
