#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "win/raii.h"
#include "rules/rule_storage.h"
#include "tests/support/test_files.h"

using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::ScratchDir;
using testing_support::WriteBytes;

namespace {

// Names of the elements of a storage.
std::vector<std::wstring> ElementNames(IStorage* storage) {
    std::vector<std::wstring> names;
    ComPtr<IEnumSTATSTG> elements;
    if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put()))) return names;
    STATSTG stat;
    while (elements->Next(1, &stat, nullptr) == S_OK) {
        names.emplace_back(stat.pwcsName);
        ::CoTaskMemFree(stat.pwcsName);
    }
    return names;
}

TEST(RuleStorageTest, MissingFileReadOnlyFailsAndCreatesNothing) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"missing.rdb");
    RuleStorage storage;
    EXPECT_FALSE(storage.OpenFile(path.c_str(), true));
    EXPECT_EQ(storage.OpenStream("RegDefine"), nullptr);
    storage.Close();
    EXPECT_FALSE(FileExists(path)) << ::testing::PrintToString(path);
}

TEST(RuleStorageTest, OpenForWritingCreatesCompoundFileWithEmptyOleRoot) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"new.rdb");
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
    }
    ASSERT_EQ(::StgIsStorageFile(path.c_str()), S_OK);
    ComPtr<IStorage> root, sub;
    const DWORD mode = STGM_SHARE_EXCLUSIVE | STGM_READ;
    ASSERT_HRESULT_SUCCEEDED(::StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, root.put()));
    EXPECT_EQ(ElementNames(root.get()), std::vector<std::wstring>{L"OLE_ROOT"});
    ASSERT_HRESULT_SUCCEEDED(root->OpenStorage(L"OLE_ROOT", nullptr, mode, nullptr, 0, sub.put()));
    EXPECT_TRUE(ElementNames(sub.get()).empty()) << ::testing::PrintToString(ElementNames(sub.get()));
}

TEST(RuleStorageTest, FileThatIsNoCompoundFileIsNeverOverwritten) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"plain.rdb");
    const std::string content = "not a compound file, but precious\r\n";
    WriteBytes(path, content);
    {
        RuleStorage storage;
        EXPECT_FALSE(storage.OpenFile(path.c_str(), false));
        EXPECT_EQ(storage.OpenStream("RegDefine"), nullptr);
    }
    EXPECT_EQ(ReadBytes(path), content);
}

TEST(RuleStorageTest, StreamsAreCreatedOnlyWhenWritable) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"streams.rdb");
    {
        RuleStorage storage;
        ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
        auto created = storage.OpenStream("Made");
        ASSERT_NE(created, nullptr);
        ASSERT_TRUE(created->Write("abc", 3));
    }
    RuleStorage storage;
    ASSERT_TRUE(storage.OpenFile(path.c_str(), true));
    auto existing = storage.OpenStream("Made");
    ASSERT_NE(existing, nullptr);
    EXPECT_EQ(existing->Size(), 3u);
    existing.reset();
    EXPECT_EQ(storage.OpenStream("Absent"), nullptr);
}

TEST(RuleStorageTest, AnotherSubStorageNameIsNotTheDefault) {
    ScratchDir folder{L"rules"};
    const std::wstring path = folder.File(L"named.rdb");
    {
        RuleStorage storage(L"OTHER_ROOT");
        ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
    }
    RuleStorage storage;
    EXPECT_FALSE(storage.OpenFile(path.c_str(), true));
    storage.Close();
    RuleStorage named(L"OTHER_ROOT");
    EXPECT_TRUE(named.OpenFile(path.c_str(), true));
}

TEST(RuleStorageTest, LockEventIsNamedFromPathHashAndFileNameAndHeldUntilClose) {
    // The file need not exist: the lock is taken before anything is opened.
    RuleStorage storage;
    EXPECT_FALSE(storage.OpenFile(L"C:\\Data\\RegLib.rdb", true));
    EXPECT_STREQ(storage.LockName(), "02307E44-REGLIB.RDB");
    {
        UniqueHandle held(::OpenEventA(EVENT_ALL_ACCESS, FALSE, "02307E44-REGLIB.RDB"));
        EXPECT_TRUE(held);
    }
    storage.Close();
    UniqueHandle released(::OpenEventA(EVENT_ALL_ACCESS, FALSE, "02307E44-REGLIB.RDB"));
    EXPECT_FALSE(released);
}

TEST(RuleStorageTest, LockNamesDifferWithLetterCase) {
    RuleStorage upper, lower;
    upper.OpenFile(L"C:\\Data\\RegLib.rdb", true);
    lower.OpenFile(L"c:\\data\\reglib.rdb", true);  // returns at once: no shared event to wait on
    EXPECT_STRNE(upper.LockName(), lower.LockName());
}

}  // namespace
