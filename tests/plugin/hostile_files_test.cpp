// Hostile and busy settings files against the real plug-in: a blob that
// grows between Export's two calls, a user database far beyond what a user
// has, and a user database held open by another program during Load.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/little_endian.h"
#include "core/rc4.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "lang/resource.h"
#include "win/raii.h"
#include "tests/support/plugin_test.h"
#include "tests/support/modal_script.h"
#include "tests/support/plugin_library.h"
#include "tests/support/file_assertions.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

const wchar_t* const kNames[] = {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"};

// A writable buffer whose last byte is followed by a page that faults.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : size_(size) {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        const size_t page = system.dwPageSize, pages = (size + page - 1) / page;
        base_ = static_cast<BYTE*>(::VirtualAlloc(nullptr, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT,
                                                   PAGE_READWRITE));
        DWORD old = 0;
        if (base_) ::VirtualProtect(base_ + pages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ ? base_ + pages * page - size : nullptr;
    }
    ~GuardedBuffer() {
        if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    BYTE* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
    size_t size_;
};

// A category database file from the plain bytes of its "RegDefine" stream.
bool WriteDatabaseFile(const std::wstring& path, std::vector<uint8_t> plain) {
    Rc4State cipher;
    Rc4Init(cipher, kRuleStreamKey, sizeof kRuleStreamKey);
    Rc4Apply(cipher, plain.data(), plain.size());
    const DWORD mode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
    ComPtr<IStorage> root, sub;
    ComPtr<IStream> stream;
    ULONG written = 0;
    return SUCCEEDED(::StgCreateDocfile(path.c_str(), mode, 0, root.put())) &&
           SUCCEEDED(root->CreateStorage(L"OLE_ROOT", mode, 0, 0, sub.put())) &&
           SUCCEEDED(sub->CreateStream(L"RegDefine", mode, 0, 0, stream.put())) &&
           SUCCEEDED(stream->Write(plain.data(), static_cast<ULONG>(plain.size()), &written)) &&
           written == plain.size();
}

// Categories 800, 801, ... with one item each, as the plug-in writes them.
std::vector<uint8_t> OwnCategories(int count) {
    std::vector<RuleCategory> categories(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c) {
        RuleCategory& category = categories[static_cast<size_t>(c)];
        category.id = 800 + c;
        std::snprintf(category.name, sizeof category.name, "Mine %d", c);
        for (int i = 0; category.name[i]; ++i) category.wideName[i] = static_cast<utf16_t>(category.name[i]);
        RuleItem item = {};
        item.root = kHkeyCurrentUser;
        std::snprintf(item.keyPath, sizeof item.keyPath, "Software\\Mine%d", c);
        item.flags = kItemFlagUser;
        PrependItem(&category, &item);
    }
    MemorySink sink;
    WriteRegDefine(sink, categories.data(), static_cast<uint32_t>(count));
    ClearItems(categories.data(), static_cast<uint32_t>(count));
    return sink.Bytes();
}

// One category of a million of the smallest items: 20 bytes each on disk,
// a node of about 1 KB each in memory.
std::vector<uint8_t> MillionItems() {
    std::vector<uint8_t> plain = OwnCategories(1);
    plain.resize(plain.size() - 20);  // the terminator goes after the items
    uint8_t item[20] = {16, 0, 0, 0, kItemTag};
    PutLe32(item + 5, kHkeyCurrentUser);
    for (int i = 0; i < 1000000; ++i) plain.insert(plain.end(), item, item + sizeof item);
    const uint8_t terminator[20] = {16, 0, 0, 0, kItemTag};
    plain.insert(plain.end(), terminator, terminator + sizeof terminator);
    return plain;
}

std::vector<BYTE> Blob(const std::string& ini, const std::string& database, const std::string& options) {
    const uint32_t a = 24 + static_cast<uint32_t>(ini.size()), b = a + static_cast<uint32_t>(database.size()),
                   c = b + static_cast<uint32_t>(options.size());
    const uint32_t header[6] = {24, a, a, b, b, c};
    std::vector<BYTE> blob(24);
    std::memcpy(blob.data(), header, 24);
    for (const std::string* part : {&ini, &database, &options}) blob.insert(blob.end(), part->begin(), part->end());
    return blob;
}

class HostileFiles : public PluginTest {
protected:
    void TearDown() override {
        if (console_) ::DestroyWindow(console_);
        PluginTest::TearDown();
    }

    // The page in a console window of this process.
    HWND CreatePage() {
        console_ = ::CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                     nullptr, nullptr);
        RECT place = {0, 0, 500, 300};
        plugin_->CreatePage(console_, &place);
        return ::GetWindow(console_, GW_CHILD);
    }

    HWND console_ = nullptr;
};

TEST_F(HostileFiles, ExportNeverCopiesMoreThanItAnnounced) {
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), "[a]\r\nHKCU\\K=1\r\n"));
    DWORD announced = 0;
    EXPECT_EQ(plugin_->Export(nullptr, &announced), 0);
    // Another process grows the rule file between the two calls.
    ASSERT_TRUE(Written(Real(L"RegUser.ini"), std::string(5000, ';')));
    GuardedBuffer buffer(announced);
    ASSERT_NE(buffer.Data(), nullptr);
    DWORD size = announced;
    EXPECT_EQ(plugin_->Export(buffer.Data(), &size), 0) << "copied more than the buffer it was sized for";
    EXPECT_EQ(size, 24u + 5000u) << "the new size, so that the caller asks again";
    // Asked again with a buffer of that size, it copies.
    GuardedBuffer bigger(size);
    EXPECT_EQ(plugin_->Export(bigger.Data(), &size), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bigger.Data()) + 24, 5000), std::string(5000, ';'));
    // A caller that says its buffer is smaller than the blob gets nothing.
    DWORD small = 100;
    EXPECT_EQ(plugin_->Export(bigger.Data(), &small), 0);
    EXPECT_EQ(small, 24u + 5000u);
}

TEST_F(HostileFiles, AUserDatabaseBeyondTheLimitsNeverReachesTheStore) {
    ScratchDir scratch(L"hostile-db");
    ASSERT_TRUE(WriteDatabaseFile(scratch.File(L"huge.rdb"), MillionItems()))
        << ::testing::PrintToString(scratch.File(L"huge.rdb")) << ", error " << ::GetLastError();
    const std::string huge = ReadBytes(scratch.File(L"huge.rdb"));
    ASSERT_GT(huge.size(), 20000000u);
    for (const wchar_t* name : kNames)
        ASSERT_TRUE(Written(Real(name), "old"));

    // Import refuses it before any file is touched.
    const std::vector<BYTE> blob = Blob("[a]\r\nHKCU\\K=1\r\n", huge, "[800]\r\nMode=1\r\n");
    EXPECT_EQ(plugin_->Import(blob.data(), static_cast<DWORD>(blob.size())), 0);
    for (const wchar_t* name : kNames) EXPECT_EQ(ReadBytes(Real(name)), "old") << Narrow(name);
    // Within the limits, the same blob is taken.
    const std::vector<BYTE> fine = Blob("[a]\r\nHKCU\\K=1\r\n", "", "[800]\r\nMode=1\r\n");
    EXPECT_EQ(plugin_->Import(fine.data(), static_cast<DWORD>(fine.size())), 1);

    // Put there by other means, it is left alone: Load, Export and the page work.
    ASSERT_TRUE(::CopyFileW(scratch.File(L"huge.rdb").c_str(), Real(L"QRegUser.rdb").c_str(), FALSE))
        << "error " << ::GetLastError();
    EXPECT_EQ(plugin_->Load(), 0);
    DWORD size = 0;
    plugin_->Export(nullptr, &size);
    std::vector<BYTE> exported(size);
    EXPECT_EQ(plugin_->Export(exported.data(), &size), 1);
    EXPECT_NE(CreatePage(), nullptr);
    EXPECT_TRUE(ReadBytes(Real(L"QRegUser.rdb")) == huge) << "the over-limit database was changed";
}

TEST_F(HostileFiles, AUserDatabaseBusyDuringLoadIsNotWipedByTheNextEdit) {
    ScratchDir scratch(L"busy-db");
    ASSERT_TRUE(WriteDatabaseFile(Real(L"QRegUser.rdb"), OwnCategories(3)))
        << ::testing::PrintToString(Real(L"QRegUser.rdb")) << ", error " << ::GetLastError();
    const std::string before = ReadBytes(Real(L"QRegUser.rdb"));
    HWND page = nullptr;
    {
        // A scanner or backup holds the file while the console opens the
        // page, which loads.
        UniqueFile holder(::CreateFileW(Real(L"QRegUser.rdb").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
        ASSERT_TRUE(holder);
        page = CreatePage();
    }
    ASSERT_NE(page, nullptr);
    // The user adds a category in the expert editor and confirms it.
    ModalScript script;
    HWND editor = nullptr;
    script
        .Then([&](HWND dialog) {
            editor = dialog;
            ClickButton(dialog, IDC_EXPERT_ADD_CATEGORY);  // add a category
        })
        .Then([&](HWND add) {
            SetControlText(add, IDC_CLASSADD_NAME, L"Added while busy");
            SetChecked(add, IDC_CLASSADD_MODE_200, true);
            ClickButton(add, IDOK);
            ::PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_DONE, BN_CLICKED), 0);
        });
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_EXPERT_RULES, BN_CLICKED), 0);
    EXPECT_EQ(script.PendingSteps(), 0u);
    EXPECT_EQ(script.UnexpectedWindows(), 0);
    EXPECT_EQ(plugin_->Apply(), 0);
    const std::string after = ReadBytes(Real(L"QRegUser.rdb"));
    EXPECT_TRUE(after == before) << "the user's database was written over: " << before.size() << " bytes before, "
                                 << after.size() << " after";
}

}  // namespace
