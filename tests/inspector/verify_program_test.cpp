// "verify" as a user runs it: sound files pass, every damaged kind is
// reported with its stream and offset, and the file is left as it was.
#include <gtest/gtest.h>

#include "tests/inspector/crafted_streams.h"
#include "tests/inspector/inspector_process.h"
#include "tests/support/file_assertions.h"
#include "inspector/finding.h"

using namespace inspector_testing;
using testing_support::ReadBytes;
using testing_support::ScratchDir;

namespace {

class VerifyProgram : public ::testing::Test {
protected:
    InspectRun Verify(const std::wstring& path, const wchar_t* options = L"") {
        return RunInspect(L"verify " + Quoted(path) + options, folder_);
    }
    std::wstring File(const wchar_t* name) const { return folder_.File(name); }

    ScratchDir folder_{L"inspect-verify"};
};

TEST_F(VerifyProgram, ShippedSamplesAreSound) {
    for (const wchar_t* name : {L"QRegEx0409.rdb", L"QRegEx0804.rdb", L"RegLib.rdb"}) {
        const InspectRun run = Verify(testing_support::SuiteDir() + L"\\AntiVirus\\Data\\" + name);
        EXPECT_EQ(run.status, 0u) << run.out << run.err;
        EXPECT_NE(run.out.find("\nresult: sound; the plug-in reads all "), std::string::npos) << run.out;
    }
}

TEST_F(VerifyProgram, AUserDatabaseBeyondTheLimitsAndABlobThatHoldsIt) {
    // One item more in a category than a user database may hold.
    RegDefineBuilder b;
    b.Category(800, "Crowded");
    for (int i = 0; i < 30001; ++i) b.Item(kHkeyCurrentUser, "", "");
    b.Terminator();
    const std::wstring path = File(L"QRegUser.rdb");
    ASSERT_TRUE(WriteRuleStreams(path, {{"RegDefine", b.Stream()}}));
    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.out.find("RegDefine @0x0: error: beyond the limits of a user database: 1 category, 30001 items, "
                           "30001 in the largest category"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("the plug-in reads 0 of the 1 category and 0 of the 30001 items"), std::string::npos)
        << run.out;

    // A profile that holds it: Import refuses it.
    const std::string database = ReadBytes(path);
    const uint32_t end = 24 + static_cast<uint32_t>(database.size());
    const uint32_t header[6] = {24, 24, 24, end, end, end};
    std::string blob(reinterpret_cast<const char*>(header), sizeof header);
    ASSERT_TRUE(testing_support::Written(File(L"profile.bin"), blob + database));
    const InspectRun blobRun = Verify(File(L"profile.bin"));
    EXPECT_EQ(blobRun.status, 1u);
    EXPECT_NE(blobRun.out.find("Import refuses it"), std::string::npos) << blobRun.out;
}

TEST_F(VerifyProgram, ADamagedCategoryDatabase) {
    RegDefineBuilder b;
    b.Category(1);
    b.Item();
    b.Terminator();
    const size_t overlong = b.Raw(5008, {0x55});
    b.Terminator();
    b.Category(2);
    b.Item();
    const size_t unterminated = b.Category(3);
    b.Terminator();
    const std::wstring path = File(L"damaged.rdb");
    ASSERT_TRUE(WriteRuleStreams(path, {{"RegDefine", b.Stream()}}));
    const std::string before = ReadBytes(path);

    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.out.find("damaged.rdb: category database, 4 categories, 2 items\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("RegDefine @" + Hex(overlong) + ": error: record length 5008 is over the 4096-byte limit"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("RegDefine @" + Hex(unterminated) +
                           ": error: the terminating item record of category #3 (id 2) is missing"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("result: 2 errors, 1 warning; the plug-in reads 1 of the 4 categories and 1 of the 2 items"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(path), before) << "verify changed the file";
}

TEST_F(VerifyProgram, ADamagedCompoundFile) {
    RegDefineBuilder b;
    for (int32_t id = 1; id <= 200; ++id) {
        b.Category(id);
        for (int i = 0; i < 5; ++i) b.Item();
        b.Terminator();
    }
    const std::wstring path = File(L"cut.rdb");
    ASSERT_TRUE(WriteRuleStreams(path, {{"RegDefine", b.Stream()}}));
    // The storage's header and directory survive, most of the stream does not.
    ASSERT_TRUE(testing_support::Written(path, ReadBytes(path).substr(0, 4096)));

    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 1u) << run.out << run.err;
    EXPECT_NE(run.out.find("RegDefine @0x0: error: the stream cannot be read whole: the compound file is damaged"),
              std::string::npos)
        << run.out;
    const InspectRun dump = RunInspect(L"dump " + Quoted(path), folder_);
    EXPECT_EQ(dump.status, 2u);
    EXPECT_NE(dump.err.find("a damaged rule database: its \"RegDefine\" stream cannot be read"), std::string::npos)
        << dump.err;
}

TEST_F(VerifyProgram, ADamagedRuleLibrary) {
    const std::string lib = RegLibRecord("Shell", "HKLM\\Software\\A") + '\0';
    const std::wstring path = File(L"RegLib.rdb");
    ASSERT_TRUE(WriteRuleStreams(path, {{"REGINFO", RegInfo(3, static_cast<uint32_t>(lib.size()))},
                                        {"REGLIB", Bytes(lib)}}));
    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.out.find("REGINFO @0x0: error: record count 3 disagrees with the 1 records in REGLIB"),
              std::string::npos)
        << run.out;
}

TEST_F(VerifyProgram, WarningsFailOnlyWhenStrict) {
    const std::string lib = RegLibRecord("Shell", "HKEY_LOCAL_MACHINE\\Software\\A") + '\0';
    const std::wstring path = File(L"long-root.rdb");
    ASSERT_TRUE(WriteRuleStreams(path, {{"REGINFO", RegInfo(1, static_cast<uint32_t>(lib.size()))},
                                        {"REGLIB", Bytes(lib)}}));
    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 0u) << run.out;
    EXPECT_NE(run.out.find("REGLIB @0xE: warning: record #1: the key path"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("result: sound, 1 warning;"), std::string::npos) << run.out;
    EXPECT_EQ(Verify(path, L" --strict").status, 1u);
}

TEST_F(VerifyProgram, TheUserDatabaseIsKnownByItsName) {
    RegDefineBuilder b;
    b.Category(800, "");  // the load deletes such a user database
    b.Terminator();
    const std::wstring other = File(L"other.rdb"), user = File(L"QRegUser.rdb");
    ASSERT_TRUE(WriteRuleStreams(other, {{"RegDefine", b.Stream()}}));
    ASSERT_TRUE(WriteRuleStreams(user, {{"RegDefine", b.Stream()}}));
    EXPECT_EQ(Verify(other).status, 0u);
    const InspectRun run = Verify(user);
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.out.find("RegDefine @0x4: error: category #1 (id 800): the first category of a user database"),
              std::string::npos)
        << run.out;
}

TEST_F(VerifyProgram, ABlobAndTheDatabaseInsideIt) {
    RegDefineBuilder b;
    b.Category(800);
    b.Item();  // no terminator
    const std::wstring database = File(L"part.rdb");
    ASSERT_TRUE(WriteRuleStreams(database, {{"RegDefine", b.Stream()}}));
    const std::string rdb = ReadBytes(database);
    std::string blob(24, '\0');
    const uint32_t header[6] = {24, 24, 24, 24 + static_cast<uint32_t>(rdb.size()),
                                24 + static_cast<uint32_t>(rdb.size()), 24 + static_cast<uint32_t>(rdb.size())};
    for (int i = 0; i < 6; ++i) PutLe32(reinterpret_cast<uint8_t*>(&blob[i * 4]), header[i]);
    blob += rdb;
    const std::wstring path = File(L"settings.bin");
    ASSERT_TRUE(testing_support::Written(path, blob));

    const InspectRun run = Verify(path);
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.out.find("settings.bin: settings blob, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("QRegUser.rdb/RegDefine @" + Hex(b.Stream().size()) +
                           ": error: the stream ends inside category #1 (id 800)"),
              std::string::npos)
        << run.out;

    // Import refuses a blob whose part ends past its end.
    blob.resize(30);
    ASSERT_TRUE(testing_support::Written(path, blob));
    const InspectRun refused = Verify(path);
    EXPECT_EQ(refused.status, 1u);
    EXPECT_NE(refused.out.find("blob @0xC: error: the QRegUser.rdb part ends at"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("; Import refuses it\n"), std::string::npos) << refused.out;
}

}  // namespace
