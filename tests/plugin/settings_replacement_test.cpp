// Apply and Import replace the three real files all or nothing: whichever
// file cannot be replaced, every real file keeps its old bytes and the
// failure is reported.  What a killed run left beside the files goes at the
// next Load, Apply or Import.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings_blob.h"
#include "dialogs/modified_flag.h"
#include "win/platform.h"
#include "win/raii.h"
#include "win/settings_files.h"
#include "plugin/settings_transfer.h"
#include "rules/ini_rules.h"
#include "rules/rule_store.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

const wchar_t* const kNames[] = {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"};

std::wstring g_appData;

HRESULT WINAPI AppDataInScratch(HWND, int, HANDLE, DWORD, LPWSTR path) {
    wcsncpy(path, g_appData.c_str(), MAX_PATH);
    path[MAX_PATH - 1] = 0;
    return S_OK;
}

class ScratchShell : public Platform {
public:
    ShGetFolderPathWFn LookupShGetFolderPath() override { return AppDataInScratch; }
};

enum class Block { kFolder, kReadOnly, kBusy };

std::string BlockName(Block block) {
    switch (block) {
    case Block::kFolder: return "folder in its place";
    case Block::kReadOnly: return "read-only";
    case Block::kBusy: return "held open";
    }
    return "?";
}

class SettingsReplacement : public ::testing::TestWithParam<std::tuple<int, Block>> {
protected:
    void SetUp() override {
        g_appData = scratch_.Path();
        SetPlatformForTest(&platform_);
        BuildSettingsFileSet(g_settingsFiles);
        folder_ = scratch_.Path() + L"\\Veltrane\\Pestrol\\";
        for (const wchar_t* name : kNames) {
            ASSERT_TRUE(Written(folder_ + name, "old " + Narrow(name)));
            ASSERT_TRUE(Written(folder_ + L"temp" + name, "new " + Narrow(name)));
        }
        g_ruleStore.unreadableFiles = 0;
        ClearAtom();
    }
    void TearDown() override {
        holder_.reset();
        for (const wchar_t* name : kNames) ::SetFileAttributesW((folder_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        g_bModified = false;
        ClearAtom();
        SetPlatformForTest(nullptr);
    }

    static void ClearAtom() {
        while (ATOM atom = ::GlobalFindAtomA(kUpdateAtomName)) ::GlobalDeleteAtom(atom);
    }

    // Makes the real file `index` impossible to replace.
    void BlockFile(int index, Block block) {
        const std::wstring path = folder_ + kNames[index];
        switch (block) {
        case Block::kFolder:
            ASSERT_TRUE(::DeleteFileW(path.c_str())) << "error " << ::GetLastError();
            ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << "error " << ::GetLastError();
            break;
        case Block::kReadOnly:
            ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) << "error " << ::GetLastError();
            break;
        case Block::kBusy:
            holder_.reset(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(holder_);
            break;
        }
    }

    // Every real file as it was (the blocked one may be a folder now).
    void ExpectRealFilesOld(int blocked, Block block, const char* what) {
        holder_.reset();
        for (int i = 0; i < 3; ++i) {
            if (i == blocked && block == Block::kFolder) continue;
            EXPECT_EQ(ReadBytes(folder_ + kNames[i]), "old " + Narrow(kNames[i]))
                << what << ": " << Narrow(kNames[i]) << " changed although " << Narrow(kNames[blocked]) << " is "
                << BlockName(block);
        }
    }

    std::vector<std::wstring> Leftovers() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = found.cFileName;
            if (name.find(L".stage") != std::wstring::npos || name.find(L".undo") != std::wstring::npos)
                names.push_back(name);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }

    ScratchDir scratch_{L"replace"};
    ScratchShell platform_;
    std::wstring folder_;
    UniqueFile holder_;
};

TEST_P(SettingsReplacement, ApplyChangesAllThreeFilesOrNone) {
    const int blocked = std::get<0>(GetParam());
    const Block block = std::get<1>(GetParam());
    BlockFile(blocked, block);
    g_bModified = true;
    EXPECT_FALSE(ApplyWorkingCopies());
    ExpectRealFilesOld(blocked, block, "Apply");
    EXPECT_EQ(::GlobalFindAtomA(kUpdateAtomName), 0) << "a failed Apply signalled a change";
    EXPECT_TRUE(Leftovers().empty()) << ::testing::PrintToString(Leftovers());
}

TEST_P(SettingsReplacement, ImportChangesAllThreeFilesOrNone) {
    const int blocked = std::get<0>(GetParam());
    const Block block = std::get<1>(GetParam());
    const std::string parts[3] = {"imported ini", "imported db", "imported options"};
    const std::string data = parts[0] + parts[1] + parts[2];
    uint32_t sizes[kPartCount] = {12, 11, 16};
    BlobLayout layout;
    ASSERT_TRUE(MakeBlobLayout(sizes, layout));
    uint8_t header[kBlobHeaderSize];
    WriteBlobHeader(layout, header);
    std::vector<BYTE> blob(header, header + kBlobHeaderSize);
    blob.insert(blob.end(), data.begin(), data.end());

    BlockFile(blocked, block);
    EXPECT_FALSE(ImportSettings(blob.data(), static_cast<DWORD>(blob.size())));
    ExpectRealFilesOld(blocked, block, "Import");
    EXPECT_TRUE(Leftovers().empty()) << ::testing::PrintToString(Leftovers());
}

INSTANTIATE_TEST_SUITE_P(EachFileEachWay, SettingsReplacement,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(Block::kFolder, Block::kReadOnly, Block::kBusy)));

using SettingsLeftovers = SettingsReplacement;

TEST_F(SettingsLeftovers, WhatAKilledRunLeftGoesAtTheNextLoadApplyOrImport) {
    const auto plant = [this] {
        WriteBytes(folder_ + L"QRegEx.ini.1F4-3.stage", "[1]\r\nMode=7\r\n");
        WriteBytes(folder_ + L"RegUser.ini.2A-1.undo", "old rules");
        WriteBytes(folder_ + L"QRegUser.rdb.99-12.stage", "half a datab");
    };
    plant();
    LoadSettings();
    EXPECT_TRUE(Leftovers().empty()) << "after Load";

    plant();
    for (const wchar_t* name : kNames) WriteBytes(folder_ + L"temp" + name, "new " + Narrow(name));
    g_bModified = true;
    EXPECT_TRUE(ApplyWorkingCopies());
    EXPECT_TRUE(Leftovers().empty()) << "after Apply";
    for (const wchar_t* name : kNames) EXPECT_EQ(ReadBytes(folder_ + name), "new " + Narrow(name));

    plant();
    uint32_t sizes[kPartCount] = {};
    BlobLayout layout;
    ASSERT_TRUE(MakeBlobLayout(sizes, layout));
    uint8_t empty[kBlobHeaderSize];
    WriteBlobHeader(layout, empty);
    EXPECT_TRUE(ImportSettings(empty, kBlobHeaderSize));
    EXPECT_TRUE(Leftovers().empty()) << "after Import";
    // Three empty parts give three empty files.
    for (const wchar_t* name : kNames) {
        EXPECT_TRUE(FileExists(folder_ + name)) << ::testing::PrintToString(folder_ + name);
        EXPECT_EQ(ReadBytes(folder_ + name), "");
    }
}

TEST_F(SettingsLeftovers, ApplyLeavesAFileNotEditedSinceLoadWithWhatAnotherProgramWroteThere) {
    LoadSettings();
    ASSERT_TRUE(Written(folder_ + L"RegUser.ini", "[Theirs]\r\nHKCU\\Software\\Theirs=1\r\n"));
    ASSERT_TRUE(Written(folder_ + L"tempQRegEx.ini", "[0]\r\nMode=1\r\n"));
    g_bModified = true;
    EXPECT_TRUE(ApplyWorkingCopies());
    EXPECT_EQ(ReadBytes(folder_ + L"QRegEx.ini"), "[0]\r\nMode=1\r\n") << "the edited file was not applied";
    EXPECT_EQ(ReadBytes(folder_ + L"RegUser.ini"), "[Theirs]\r\nHKCU\\Software\\Theirs=1\r\n")
        << "a stale working copy was applied over another program's change";
    EXPECT_EQ(ReadBytes(folder_ + L"QRegUser.rdb"), "old QRegUser.rdb");
}

TEST_F(SettingsLeftovers, ARuleFileBeyondTheSizeLimitIsReadButNeverWrittenBack) {
    // One line more than the plug-in reads: what lies beyond must survive.
    std::string big = "[Kept]\r\nHKCU\\Software\\Kept=1\r\n";
    big.resize(kMaxIniFileBytes + 64, ';');
    big += "\r\n[Beyond]\r\nHKCU\\Software\\Beyond=1\r\n";
    ASSERT_TRUE(Written(folder_ + L"RegUser.ini", big));
    LoadSettings();
    EXPECT_EQ(g_ruleStore.unreadableFiles & kUnreadableUserIni, kUnreadableUserIni);
    EXPECT_EQ(g_ruleStore.staleFiles & kUnreadableUserIni, 0u) << "its working copy is whole and is read";
    WriteBytes(folder_ + L"tempRegUser.ini", "[Edited]\r\nHKCU\\Software\\Edited=1\r\n");
    g_bModified = true;
    EXPECT_TRUE(ApplyWorkingCopies());
    EXPECT_TRUE(ReadBytes(folder_ + L"RegUser.ini") == big) << "the rule file was written back";
}

TEST_F(SettingsLeftovers, AStagingFileStillBeingWrittenElsewhereIsLeftAlone) {
    const std::wstring live = folder_ + L"RegUser.ini.77-1.stage";
    UniqueFile writer(::CreateFileW(live.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(writer);
    LoadSettings();
    EXPECT_TRUE(FileExists(live)) << ::testing::PrintToString(live);
}

}  // namespace
