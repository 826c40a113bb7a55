// Self-registration of the built module: the keys of the two scripts, the
// type library, repeat registration, removal, and the caller's locale.
#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "com_test_support.h"

namespace {

const LCID kGerman = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);

class RegistrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_dll = new ServerDll(SuiteDllPath()); }
    static void TearDownTestSuite() {
        delete s_dll;
        s_dll = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_dll->Loaded());
        // Registration runs on a thread that has initialised COM, as
        // regsvr32 does.
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        RemoveRegistration();
    }
    void TearDown() override {
        RemoveRegistration();
        ::CoUninitialize();
    }

    static ServerDll* s_dll;
};

ServerDll* RegistrationTest::s_dll = nullptr;

TEST_F(RegistrationTest, WritesEveryKeyOfBothScripts) {
    ASSERT_EQ(S_OK, s_dll->registerServer());

    EXPECT_EQ(L"VtPestrolSet", ClassesValue(kAppIdKey));
    EXPECT_EQ(kAppId, ClassesValue(kAppIdNameKey, L"AppID"));

    EXPECT_EQ(L"VtPsSetPlugin Class", ClassesValue(kProgIdKey));
    EXPECT_EQ(kRegisteredClsid, ClassesValue(std::wstring(kProgIdKey) + L"\\CLSID"));
    EXPECT_EQ(L"VtPsSetPlugin Class", ClassesValue(kVersionlessProgIdKey));
    EXPECT_EQ(kRegisteredClsid, ClassesValue(std::wstring(kVersionlessProgIdKey) + L"\\CLSID"));
    EXPECT_EQ(L"VtPestrolSet.VtPsSetPlugin.1", ClassesValue(std::wstring(kVersionlessProgIdKey) + L"\\CurVer"));

    const std::wstring cls = kClassKey;
    EXPECT_EQ(L"VtPsSetPlugin Class", ClassesValue(cls));
    EXPECT_EQ(kAppId, ClassesValue(cls, L"AppID"));
    EXPECT_EQ(L"VtPestrolSet.VtPsSetPlugin.1", ClassesValue(cls + L"\\ProgID"));
    EXPECT_EQ(L"VtPestrolSet.VtPsSetPlugin", ClassesValue(cls + L"\\VersionIndependentProgID"));
    EXPECT_TRUE(ClassesKeyExists(cls + L"\\Programmable"));
    EXPECT_EQ(s_dll->FileName(), ClassesValue(cls + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", ClassesValue(cls + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(kTypeLibId, ClassesValue(cls + L"\\TypeLib"));

    // The type library, registered from the module's own resource.
    const std::wstring lib = std::wstring(kTypeLibKey) + L"\\1.0";
    EXPECT_EQ(L"VtPestrolSet 1.0 Type Library", ClassesValue(lib));
    EXPECT_EQ(s_dll->FileName(), ClassesValue(lib + L"\\0\\win32"));
    EXPECT_EQ(L"IVtPsSetPlugin", ClassesValue(kInterfaceKey));
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesTheSameKeys) {
    ASSERT_EQ(S_OK, s_dll->registerServer());
    std::map<std::wstring, std::map<std::wstring, std::wstring>> first;
    for (const wchar_t* key : kRegisteredKeys) first[key] = ClassesTree(key);

    // ForceRemove rewrites the class key from scratch: a stray subkey goes.
    HKEY stray = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kClassKey) + L"\\Stray").c_str(), 0,
                                               nullptr, 0, KEY_WRITE, nullptr, &stray, nullptr));
    ::RegCloseKey(stray);

    ASSERT_EQ(S_OK, s_dll->registerServer());
    for (const wchar_t* key : kRegisteredKeys) {
        EXPECT_FALSE(first[key].empty()) << "missing after registration: " << ::testing::PrintToString(key);
        EXPECT_EQ(first[key], ClassesTree(key)) << ::testing::PrintToString(key);
    }
}

TEST_F(RegistrationTest, UnregisterRemovesOwnKeysButKeepsSharedRoots) {
    ASSERT_EQ(S_OK, s_dll->registerServer());
    ASSERT_EQ(S_OK, s_dll->unregisterServer());
    for (const wchar_t* key : kRegisteredKeys)
        EXPECT_FALSE(ClassesKeyExists(key)) << "left behind: " << ::testing::PrintToString(key);
    EXPECT_FALSE(ClassesKeyExists(kInterfaceKey));
    EXPECT_TRUE(ClassesKeyExists(L"AppID"));
    EXPECT_TRUE(ClassesKeyExists(L"CLSID"));

    // And it registers again afterwards.
    ASSERT_EQ(S_OK, s_dll->registerServer());
    EXPECT_EQ(s_dll->FileName(), ClassesValue(std::wstring(kClassKey) + L"\\InprocServer32"));
}

TEST_F(RegistrationTest, CallersThreadLocaleComesBack) {
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(kGerman)) << "error " << ::GetLastError();
    EXPECT_EQ(S_OK, s_dll->registerServer());
    EXPECT_EQ(kGerman, ::GetThreadLocale());
    EXPECT_EQ(S_OK, s_dll->unregisterServer());
    EXPECT_EQ(kGerman, ::GetThreadLocale());
    ::SetThreadLocale(before);
}

TEST_F(RegistrationTest, WorksFromThreadWithoutCom) {
    HRESULT registered = E_FAIL;
    HRESULT unregistered = E_FAIL;
    std::wstring server;
    std::thread worker([&] {
        registered = s_dll->registerServer();
        server = ClassesValue(std::wstring(kClassKey) + L"\\InprocServer32");
        unregistered = s_dll->unregisterServer();
    });
    worker.join();
    EXPECT_EQ(S_OK, registered);
    EXPECT_EQ(s_dll->FileName(), server);
    EXPECT_EQ(S_OK, unregistered);
}

// Script strings are quoted with apostrophes: one in the path must survive.
TEST_F(RegistrationTest, ApostropheInModulePathIsWrittenUnchanged) {
    const std::wstring folder = WinePath(VTPS_BUILD_DIR_UNIX) + L"\\tests\\com\\it's here";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\VtPestrolSetQuote.dll";
    ASSERT_TRUE(::CopyFileW(SuiteDllPath().c_str(), copy.c_str(), FALSE)) << ::GetLastError();
    ServerDll dll(copy);
    ASSERT_TRUE(dll.Loaded());
    ASSERT_EQ(S_OK, dll.registerServer());
    EXPECT_EQ(dll.FileName(), ClassesValue(std::wstring(kClassKey) + L"\\InprocServer32"));
    EXPECT_EQ(dll.FileName(), ClassesValue(std::wstring(kTypeLibKey) + L"\\1.0\\0\\win32"));
    EXPECT_EQ(S_OK, dll.unregisterServer());
}

// A copy of the module whose path fills the loader's 260-character buffer.
class LongPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        RemoveRegistration();
        std::wstring folder = L"\\\\?\\" + WinePath(VTPS_BUILD_DIR_UNIX) + L"\\tests\\com\\long";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        while (folder.size() < 300) {
            folder += L"\\" + std::wstring(60, L'd');
            ::CreateDirectoryW(folder.c_str(), nullptr);
        }
        m_copy = folder + L"\\VtPestrolSetLong.dll";
        ASSERT_TRUE(::CopyFileW(SuiteDllPath().c_str(), m_copy.c_str(), FALSE)) << ::GetLastError();
    }
    void TearDown() override {
        RemoveRegistration();
        ::CoUninitialize();
    }
    std::wstring m_copy;
};

TEST_F(LongPathTest, FailsWithInsufficientBufferAndRestoresLocale) {
    ServerDll dll(m_copy);
    ASSERT_TRUE(dll.Loaded()) << ::GetLastError();
    ASSERT_GE(dll.FileName().size(), static_cast<size_t>(MAX_PATH));

    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(kGerman)) << "error " << ::GetLastError();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), dll.registerServer());
    EXPECT_EQ(kGerman, ::GetThreadLocale());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), dll.unregisterServer());
    EXPECT_EQ(kGerman, ::GetThreadLocale());
    ::SetThreadLocale(before);

    // Nothing was written on the way.
    for (const wchar_t* key : kRegisteredKeys)
        EXPECT_FALSE(ClassesKeyExists(key)) << ::testing::PrintToString(key);
}

}  // namespace
