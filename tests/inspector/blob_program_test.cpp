// "blob info", "split" and "join" against the real plug-in's Export and
// Import, loaded from the suite folder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/root_names.h"
#include "rules/rule_database.h"
#include "tests/inspector/inspector_process.h"
#include "tests/support/file_assertions.h"
#include "tests/support/plugin_test.h"
#include "tests/support/plugin_library.h"
#include "inspector/finding.h"

using namespace inspector_testing;
using testing_support::ReadBytes;
using testing_support::Written;

namespace {

const wchar_t* const kParts[] = {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"};

class BlobProgram : public testing_support::PluginTest {
protected:
    std::wstring File(const wchar_t* name) const { return folder_.File(name); }
    InspectRun Run(const std::wstring& arguments) { return RunInspect(arguments, folder_); }

    std::string ExportBlob() {
        DWORD size = 0;
        plugin_->Export(nullptr, &size);
        std::string blob(size, '\0');
        EXPECT_EQ(plugin_->Export(reinterpret_cast<BYTE*>(&blob[0]), &size), 1);
        return blob;
    }

    testing_support::ScratchDir folder_{L"inspect-blob"};
};

TEST_F(BlobProgram, ExportedBlobSplitsIntoTheRealFilesAndJoinsBack) {
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "[Browser]\r\nname=Start page\r\nHKCU\\Software\\X=www,1\r\n"));
    RuleCategory category;
    std::memset(&category, 0, sizeof category);
    category.id = 800;
    std::wcscpy(category.wideName, L"Mine");
    std::strcpy(category.name, "Mine");
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = kHkeyCurrentUser;
    std::strcpy(item.keyPath, "Software\\Mine");
    item.flags = kItemFlagUser;
    PrependItem(&category, &item);
    ASSERT_EQ(WriteCategories(Real(L"QRegUser.rdb").c_str(), &category, 1), 1);
    ClearItems(&category, 1);
    ASSERT_TRUE(Written(Real(L"QRegEx.ini"), "[800]\r\nMode=2\r\nAction=1\r\n"));
    const std::string blob = ExportBlob();
    const std::wstring blobFile = File(L"export.bin");
    ASSERT_TRUE(Written(blobFile, blob));

    const InspectRun info = Run(L"blob info " + Quoted(blobFile));
    EXPECT_EQ(info.status, 0u) << info.err;
    const size_t ini = ReadBytes(Real(L"RegUser.ini")).size();
    EXPECT_NE(info.out.find("  RegUser.ini    0x18         " + Hex(24 + ini)), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Import takes this blob."), std::string::npos) << info.out;

    const InspectRun split = Run(L"blob split " + Quoted(blobFile) + L" " + Quoted(File(L"parts")));
    ASSERT_EQ(split.status, 0u) << split.err;
    for (const wchar_t* part : kParts)
        EXPECT_EQ(ReadBytes(File(L"parts") + L"\\" + part), ReadBytes(Real(part))) << testing_support::Narrow(part);

    const std::wstring joined = File(L"joined.bin");
    const InspectRun join = Run(L"blob join " + Quoted(Real(kParts[0])) + L" " + Quoted(Real(kParts[1])) + L" " +
                                Quoted(Real(kParts[2])) + L" " + Quoted(joined));
    ASSERT_EQ(join.status, 0u) << join.err;
    EXPECT_EQ(ReadBytes(joined), blob);

    const InspectRun verify = Run(L"verify " + Quoted(blobFile));
    EXPECT_EQ(verify.status, 0u) << verify.out;
    EXPECT_NE(verify.out.find("result: sound; Import takes it"), std::string::npos) << verify.out;
}

TEST_F(BlobProgram, SplitWritesWhatImportWrites) {
    // The parts stored in another order than Export writes them.
    std::string data = "EXPERT" "DB" "USERINI";
    const uint32_t header[6] = {24 + 8, 24 + 15, 24 + 6, 24 + 8, 24, 24 + 6};
    std::string blob(reinterpret_cast<const char*>(header), sizeof header);
    blob += data;
    const std::wstring blobFile = File(L"reordered.bin");
    ASSERT_TRUE(Written(blobFile, blob));
    ASSERT_EQ(plugin_->Import(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())), 1);
    const InspectRun split = Run(L"blob split " + Quoted(blobFile) + L" " + Quoted(File(L"parts")));
    ASSERT_EQ(split.status, 0u) << split.err;
    for (const wchar_t* part : kParts)
        EXPECT_EQ(ReadBytes(File(L"parts") + L"\\" + part), ReadBytes(Real(part))) << testing_support::Narrow(part);

    // A blob that Import refuses is not split either.
    blob.resize(30);
    ASSERT_TRUE(Written(blobFile, blob));
    EXPECT_EQ(plugin_->Import(reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())), 0);
    const InspectRun refused = Run(L"blob split " + Quoted(blobFile) + L" " + Quoted(File(L"refused")));
    EXPECT_EQ(refused.status, 1u);
    EXPECT_NE(refused.err.find("Import refuses this blob"), std::string::npos) << refused.err;
    EXPECT_FALSE(testing_support::FileExists(File(L"refused"))) << ::testing::PrintToString(File(L"refused"));
}

}  // namespace
