// The plug-in object through IProductOption, loaded from the built suite.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/plugin_test.h"
#include "tests/support/plugin_library.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

class PluginInterface : public PluginTest {
protected:
    PluginInterface() : PluginTest(false) {}

    std::vector<BYTE> ExportBlob() {
        DWORD size = 0xDEADBEEF;
        EXPECT_EQ(plugin_->Export(nullptr, &size), 0);
        std::vector<BYTE> blob(size);
        DWORD second = 0;
        EXPECT_EQ(plugin_->Export(blob.data(), &second), 1);
        EXPECT_EQ(second, size);
        return blob;
    }

    static std::vector<uint32_t> Header(const std::vector<BYTE>& blob) {
        std::vector<uint32_t> header(6);
        std::memcpy(header.data(), blob.data(), 24);
        return header;
    }
};

TEST_F(PluginInterface, QueryInterfaceAnswersOnlyItsTwoInterfaces) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(plugin_->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(plugin_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(plugin_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(plugin_));
    // One reference from creation, one from the query: AddRef answers 3.
    EXPECT_EQ(plugin_->AddRef(), 3u);
    EXPECT_EQ(plugin_->Release(), 2u);
    unknown->Release();
}

TEST_F(PluginInterface, TitleHasEvenByteCountAndNoTerminator) {
    WCHAR buffer[128];
    std::memset(buffer, 0xCC, sizeof buffer);
    DWORD bytes = 12345;
    EXPECT_EQ(plugin_->GetTitle(buffer, &bytes), 1);
    ASSERT_GT(bytes, 0u);
    EXPECT_EQ(bytes % 2, 0u);
    const size_t chars = bytes / 2;
    for (size_t i = 0; i < chars; ++i) EXPECT_NE(buffer[i], 0) << "at " << i;
    EXPECT_EQ(buffer[chars], static_cast<WCHAR>(0xCCCC)) << "GetTitle wrote past the title";
}

TEST_F(PluginInterface, SimpleAnswers) {
    EXPECT_EQ(plugin_->IsAvailable(), 1);
    EXPECT_EQ(plugin_->Load(), 0);
    EXPECT_EQ(plugin_->Apply(), 0);
    plugin_->Reserved();
    // Before a page exists these do nothing (and must not crash).
    plugin_->ShowPage();
    plugin_->HidePage();
}

TEST_F(PluginInterface, ExportOfNoFilesIsTheBareHeader) {
    std::vector<BYTE> blob = ExportBlob();
    ASSERT_EQ(blob.size(), 24u);
    EXPECT_EQ(Header(blob), std::vector<uint32_t>({24, 24, 24, 24, 24, 24}));
}

TEST_F(PluginInterface, ExportLaysOutThePartsBackToBack) {
    plugin_->Load();  // creates the settings folder
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "0123456789"));
    ASSERT_TRUE(Written(Real(L"QRegUser.rdb"), ""));
    ASSERT_TRUE(Written(Real(L"QRegEx.ini"), "abcde"));
    std::vector<BYTE> blob = ExportBlob();
    ASSERT_EQ(blob.size(), 39u);
    EXPECT_EQ(Header(blob), std::vector<uint32_t>({24, 34, 34, 34, 34, 39}));
    EXPECT_EQ(std::string(blob.begin() + 24, blob.end()), "0123456789abcde");
    // Export ran Load: the working copies now mirror the real files.
    EXPECT_EQ(ReadBytes(Real(L"tempRegUser.ini")), "0123456789");
    EXPECT_EQ(ReadBytes(Real(L"tempQRegEx.ini")), "abcde");
}

TEST_F(PluginInterface, ImportRecreatesTheFilesFromTheirParts) {
    plugin_->Load();
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "[a]\r\nname=A\r\n"));
    ASSERT_TRUE(Written(Real(L"QRegUser.rdb"), "not really a database"));
    ASSERT_TRUE(Written(Real(L"QRegEx.ini"), "[800]\r\nMode=2\r\n"));
    std::vector<BYTE> blob = ExportBlob();

    for (const wchar_t* name : {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"}) WriteBytes(Real(name), "changed");
    EXPECT_EQ(plugin_->Import(blob.data(), static_cast<DWORD>(blob.size())), 1);
    EXPECT_EQ(ReadBytes(Real(L"RegUser.ini")), "[a]\r\nname=A\r\n");
    EXPECT_EQ(ReadBytes(Real(L"QRegUser.rdb")), "not really a database");
    EXPECT_EQ(ReadBytes(Real(L"QRegEx.ini")), "[800]\r\nMode=2\r\n");
    // Import ends with Load: the working copies follow.
    EXPECT_EQ(ReadBytes(Real(L"tempRegUser.ini")), "[a]\r\nname=A\r\n");
}

TEST_F(PluginInterface, ImportUsesOnlyTheOffsetPairs) {
    // The QRegEx.ini part is stored first, then QRegUser.rdb, then RegUser.ini.
    std::string data = "EXPERT" "DB" "USERINI";
    uint32_t header[6] = {24 + 8, 24 + 15, 24 + 6, 24 + 8, 24, 24 + 6};
    std::vector<BYTE> blob(24 + data.size());
    std::memcpy(blob.data(), header, 24);
    std::memcpy(blob.data() + 24, data.data(), data.size());
    plugin_->Load();
    EXPECT_EQ(plugin_->LoadAndImport(blob.data(), static_cast<DWORD>(blob.size())), 1);
    EXPECT_EQ(ReadBytes(Real(L"RegUser.ini")), "USERINI");
    EXPECT_EQ(ReadBytes(Real(L"QRegUser.rdb")), "DB");
    EXPECT_EQ(ReadBytes(Real(L"QRegEx.ini")), "EXPERT");
}

TEST_F(PluginInterface, RejectedBlobsLeaveEveryFileIntact) {
    plugin_->Load();
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "user rules"));
    ASSERT_TRUE(Written(Real(L"QRegUser.rdb"), "user database"));
    ASSERT_TRUE(Written(Real(L"QRegEx.ini"), "options"));

    std::vector<BYTE> good(30, 'x');
    const uint32_t okHeader[6] = {24, 26, 26, 28, 28, 30};
    std::memcpy(good.data(), okHeader, 24);

    struct Case {
        const char* what;
        std::vector<BYTE> blob;
        DWORD size;
    };
    std::vector<Case> cases;
    cases.push_back({"size 0", good, 0});
    cases.push_back({"shorter than the header", good, 23});
    std::vector<BYTE> startAfterEnd = good;
    reinterpret_cast<uint32_t*>(startAfterEnd.data())[2] = 29;  // start 29 > end 28
    cases.push_back({"start after end", startAfterEnd, 30});
    std::vector<BYTE> endPastSize = good;
    reinterpret_cast<uint32_t*>(endPastSize.data())[5] = 31;
    cases.push_back({"end past the size", endPastSize, 30});
    std::vector<BYTE> huge = good;
    reinterpret_cast<uint32_t*>(huge.data())[1] = 0xFFFFFFF0u;
    cases.push_back({"end far past the size", huge, 30});

    for (const Case& c : cases) {
        EXPECT_EQ(plugin_->Import(c.blob.data(), c.size), 0) << c.what;
        EXPECT_EQ(ReadBytes(Real(L"RegUser.ini")), "user rules") << c.what;
        EXPECT_EQ(ReadBytes(Real(L"QRegUser.rdb")), "user database") << c.what;
        EXPECT_EQ(ReadBytes(Real(L"QRegEx.ini")), "options") << c.what;
    }
    EXPECT_EQ(plugin_->LoadAndImport(good.data(), 23), 0);
    EXPECT_EQ(ReadBytes(Real(L"RegUser.ini")), "user rules");
}

TEST_F(PluginInterface, ApplyWithoutAConfirmedEditorChangesNothing) {
    plugin_->Load();
    ASSERT_TRUE(Written(Real(L"tempRegUser.ini"), "edited"));
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "original"));
    EXPECT_EQ(plugin_->Apply(), 0);
    EXPECT_EQ(ReadBytes(Real(L"RegUser.ini")), "original");
}

TEST_F(PluginInterface, ApplyAndExportExportsTheRealFiles) {
    plugin_->Load();
    ASSERT_TRUE(Written(Real(L"QRegEx.ini"), "12"));
    DWORD size = 0;
    EXPECT_EQ(plugin_->ApplyAndExport(nullptr, &size), 0);
    EXPECT_EQ(size, 26u);
    std::vector<BYTE> blob(size);
    EXPECT_EQ(plugin_->ApplyAndExport(blob.data(), &size), 1);
    EXPECT_EQ(Header(blob), std::vector<uint32_t>({24, 24, 24, 24, 24, 26}));
}

}  // namespace
