#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/rc4.h"
#include "core/regdefine.h"
#include "core/root_names.h"
#include "rule_fixtures.h"
#include "rules/rule_database.h"
#include "rules/rule_storage.h"
#include "tests/support/compound_file_damage.h"
#include "tests/support/test_files.h"
#include "tests/support/file_assertions.h"

using testing_support::FileExists;
using testing_support::Narrow;
using testing_support::ReadBytes;
using testing_support::ScratchDir;
using testing_support::WriteBytes;

namespace {

// A zeroed store-sized array whose items are freed at the end.
struct CategoryArray {
    CategoryArray() : data(new RuleCategory[kMaxCategories]()) {}
    ~CategoryArray() { ClearItems(data.get(), kMaxCategories); }
    RuleCategory& operator[](size_t i) { return data[i]; }
    RuleCategory* get() { return data.get(); }
    std::unique_ptr<RuleCategory[]> data;
};

class RuleDatabaseTest : public ::testing::Test {
protected:
    std::wstring Path() const { return m_folder.File(L"QRegUser.rdb"); }
    std::string PathA() const { return Narrow(m_folder.File(L"QRegUser.rdb")); }

    // Categories "C0".."Cn-1", each with `items` items, prepended in the
    // order I0, I1, ... so that the list order is the reverse.
    void Fill(CategoryArray& array, uint32_t count, uint32_t items) {
        for (uint32_t c = 0; c < count; ++c) {
            array[c] = MakeCategory(100 + c, ("C" + std::to_string(c)).c_str());
            for (uint32_t i = 0; i < items; ++i) {
                RuleItem item = MakeItem(kHkeyLocalMachine, ("Software\\K" + std::to_string(i)).c_str(),
                                         ("I" + std::to_string(i)).c_str(), kItemFlagUser);
                PrependItem(&array[c], &item);
            }
        }
    }

    ScratchDir m_folder{L"rules"};
};

TEST_F(RuleDatabaseTest, CategoriesRoundTripWithItemsReversed) {
    CategoryArray written;
    written[0] = MakeCategory(801, "Mine");
    for (const char* name : {"C", "B", "A"}) {  // list order A, B, C
        RuleItem item = MakeItem(kHkeyCurrentUser, (std::string("Software\\") + name).c_str(), name, 2 | 8);
        PrependItem(&written[0], &item);
    }
    written[1] = MakeCategory(99, "Empty");
    ASSERT_EQ(ItemNames(written[0]), (std::vector<std::string>{"A", "B", "C"}));
    ASSERT_EQ(WriteCategories(PathA().c_str(), written.get(), 2), 1);

    CategoryArray read;
    ASSERT_EQ(ReadCategories(PathA().c_str(), read.get(), kMaxCategories), 2u);
    EXPECT_EQ(ItemNames(read[0]), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(read[1].items, nullptr);

    const RuleCategory& c = read[0];
    EXPECT_EQ(c.id, 801);
    EXPECT_STREQ(c.name, "Mine");
    EXPECT_STREQ(c.description, "description");
    EXPECT_STREQ(c.extraText, "extra");
    EXPECT_EQ(c.action, 1);
    EXPECT_EQ(c.mode, 6);
    EXPECT_EQ(c.option3, 3);
    EXPECT_EQ(c.option4, 4);
    EXPECT_EQ(c.adminOnly, 1);
    EXPECT_EQ(std::memcmp(c.wideName, written[0].wideName, sizeof(c.wideName)), 0);
    EXPECT_EQ(c.wideDescription[0], L'D');
    EXPECT_EQ(c.wideExtraText[0], L'E');
    const RuleItem* item = c.items;
    EXPECT_EQ(item->root, kHkeyCurrentUser);
    EXPECT_STREQ(item->keyPath, "Software\\C");
    EXPECT_EQ(item->flags, 10u);
    EXPECT_EQ(item->wideName[0], L'C');
    EXPECT_EQ(read[1].id, 99);
}

TEST_F(RuleDatabaseTest, StreamIsEncipheredFromItsFirstByte) {
    CategoryArray written;
    Fill(written, 1, 0);
    ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 1), 1);
    std::string raw;
    ASSERT_TRUE(ReadRawStream(Path(), L"RegDefine", raw))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
    // Format number, one category record, the 16-byte terminator.
    ASSERT_GT(raw.size(), 4u + 4u + 16u + 4u + 16u);
    std::vector<uint8_t> plain(raw.begin(), raw.end());
    EXPECT_NE(std::memcmp(plain.data(), "\x00\x01\x00\x00", 4), 0);
    Rc4State state;
    Rc4Init(state, kRuleStreamKey, sizeof(kRuleStreamKey));
    Rc4Apply(state, plain.data(), plain.size());
    EXPECT_EQ(std::memcmp(plain.data(), "\x00\x01\x00\x00", 4), 0);
    EXPECT_EQ(plain[8], 0x55);  // after the record length: the category tag
    const size_t tail = plain.size() - 20;  // terminator: length 16, tag, root 0, empty texts
    EXPECT_EQ(std::memcmp(&plain[tail], "\x10\x00\x00\x00\x66\x00\x00\x00\x00", 9), 0);
}

TEST_F(RuleDatabaseTest, RewritingShorterContentCutsTheStream) {
    CategoryArray many, one;
    Fill(many, 3, 5);
    Fill(one, 1, 1);
    ASSERT_EQ(WriteCategories(Path().c_str(), many.get(), 3), 1);
    ASSERT_EQ(WriteCategories(Path().c_str(), one.get(), 1), 1);

    // Same bytes as the short content written to a fresh file.
    const std::wstring fresh = m_folder.File(L"fresh.rdb");
    ASSERT_EQ(WriteCategories(fresh.c_str(), one.get(), 1), 1);
    std::string rewritten, expected;
    ASSERT_TRUE(ReadRawStream(Path(), L"RegDefine", rewritten))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
    ASSERT_TRUE(ReadRawStream(fresh, L"RegDefine", expected))
        << ::testing::PrintToString(fresh) << ", error " << ::GetLastError();
    EXPECT_EQ(rewritten, expected);

    CategoryArray read;
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), kMaxCategories), 1u);
    EXPECT_EQ(ItemNames(read[0]), std::vector<std::string>{"I0"});
}

TEST_F(RuleDatabaseTest, CapacityLimitsTheCategoriesRead) {
    CategoryArray written;
    Fill(written, 5, 2);
    ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 5), 1);
    CategoryArray read;
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), 3), 3u);
    EXPECT_EQ(read[2].id, 102);
    EXPECT_EQ(read[3].id, 0);
}

TEST_F(RuleDatabaseTest, UnusableFilesReadAsEmptyAndAreNotWritten) {
    CategoryArray read;
    EXPECT_EQ(ReadCategories(PathA().c_str(), read.get(), kMaxCategories), 0u);
    EXPECT_FALSE(FileExists(Path())) << ::testing::PrintToString(Path());

    WriteBytes(Path(), "plain text");
    CategoryArray written;
    Fill(written, 1, 1);
    EXPECT_EQ(WriteCategories(PathA().c_str(), written.get(), 1), 0);
    EXPECT_EQ(ReadBytes(Path()), "plain text");
    EXPECT_EQ(ReadCategories(PathA().c_str(), read.get(), kMaxCategories), 0u);
}

// Writes enciphered bytes as the file's "RegDefine" stream.
void WriteRegDefineBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    RuleStorage storage;
    ASSERT_TRUE(storage.OpenFile(path.c_str(), false));
    auto stream = storage.OpenStream("RegDefine");
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(stream->Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
}

std::vector<uint8_t> Le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

TEST_F(RuleDatabaseTest, BadFormatOrRecordLengthReadsNothing) {
    CategoryArray read;
    // Format above 256.
    WriteRegDefineBytes(Path(), Le32(257));
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), kMaxCategories), 0u);
    // Too short for a format number: format 0, then nothing to read.
    WriteRegDefineBytes(m_folder.File(L"short.rdb"), {1, 0});
    EXPECT_EQ(ReadCategories(m_folder.File(L"short.rdb").c_str(), read.get(), kMaxCategories), 0u);
    // A record length over 4096.
    std::vector<uint8_t> huge = Le32(256);
    for (uint8_t b : Le32(4097)) huge.push_back(b);
    huge.resize(huge.size() + 5000, 0x55);
    WriteRegDefineBytes(m_folder.File(L"huge.rdb"), huge);
    EXPECT_EQ(ReadCategories(m_folder.File(L"huge.rdb").c_str(), read.get(), kMaxCategories), 0u);
}

class DamagedDatabaseTest : public RuleDatabaseTest {
protected:
    // Three equal-sized categories C0..C2 with items I0..I3 each.
    void SetUp() override {
        CategoryArray written;
        Fill(written, 3, 4);
        ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 3), 1);
        ASSERT_TRUE(ReadRawStream(Path(), L"RegDefine", m_raw))
            << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
        m_categoryBytes = (m_raw.size() - 4) / 3;
        std::string plain = m_raw;
        Rc4State state;
        Rc4Init(state, kRuleStreamKey, sizeof(kRuleStreamKey));
        Rc4Apply(state, reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
        m_categoryRecordBytes = static_cast<uint8_t>(plain[4]) | static_cast<uint8_t>(plain[5]) << 8;
    }
    size_t CategoryStart(size_t index) const { return 4 + index * m_categoryBytes; }

    std::string m_raw;
    size_t m_categoryBytes = 0;
    size_t m_categoryRecordBytes = 0;
};

TEST_F(DamagedDatabaseTest, CutInsideAnItemListKeepsThatCategoryWithTheItemsBeforeTheCut) {
    // Drops the terminator and part of the third category's last item.
    ASSERT_TRUE(WriteRawStream(Path(), L"RegDefine", m_raw.substr(0, m_raw.size() - 40)))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
    CategoryArray read;
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), kMaxCategories), 3u);
    EXPECT_EQ(ItemNames(read[1]), (std::vector<std::string>{"I0", "I1", "I2", "I3"}));
    // Stream order of the third category is I3, I2, I1, (I0 cut off).
    EXPECT_EQ(ItemNames(read[2]), (std::vector<std::string>{"I1", "I2", "I3"}));
}

TEST_F(DamagedDatabaseTest, CutInsideACategoryRecordKeepsTheCategoriesBefore) {
    ASSERT_TRUE(WriteRawStream(Path(), L"RegDefine", m_raw.substr(0, CategoryStart(2) + 4 + 10)))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
    CategoryArray read;
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), kMaxCategories), 2u);
    EXPECT_EQ(read[1].id, 101);
    EXPECT_EQ(ItemNames(read[1]).size(), 4u);
}

TEST_F(DamagedDatabaseTest, OverlongItemLengthEndsReading) {
    // Ciphertext bits flip the same plaintext bits: the second category's
    // first item length grows by 65536.
    std::string damaged = m_raw;
    damaged[CategoryStart(1) + 4 + m_categoryRecordBytes + 2] ^= 0x01;
    ASSERT_TRUE(WriteRawStream(Path(), L"RegDefine", damaged))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();
    CategoryArray read;
    EXPECT_EQ(ReadCategories(Path().c_str(), read.get(), kMaxCategories), 2u);
    EXPECT_EQ(ItemNames(read[0]).size(), 4u);
    EXPECT_EQ(read[1].id, 101);
    EXPECT_EQ(read[1].items, nullptr);
    EXPECT_EQ(read[2].id, 0);
}

// The categories a record-by-record read of the file gives: what the
// whole-stream read must give too, whatever the damage.
std::vector<std::vector<std::string>> ReadRecordByRecord(const std::wstring& path, uint32_t& count) {
    CategoryArray read;
    RuleStorage storage;
    count = 0;
    if (storage.OpenFile(path.c_str(), true)) {
        std::unique_ptr<RuleStream> stream = storage.OpenStream("RegDefine");
        if (stream) count = ReadRegDefine(*stream, read.get(), kMaxCategories);
    }
    std::vector<std::vector<std::string>> items;
    for (uint32_t c = 0; c < count; ++c) items.push_back(ItemNames(read[c]));
    return items;
}

TEST_F(RuleDatabaseTest, AStreamShorterThanItClaimsReadsAsFarAsTheRecordsGo) {
    CategoryArray written;
    Fill(written, 20, 10);
    ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 20), 1);
    const std::string intact = testing_support::ReadBytes(Path());
    const uint32_t sectors = testing_support::StreamSectorCount(Path(), L"RegDefine");
    ASSERT_GT(sectors, 4u);

    uint32_t lastCount = 0;
    // Each cut of the sector chain, and a size that claims more than is there.
    for (uint32_t kept = 1; kept <= sectors; ++kept) {
        ASSERT_TRUE(testing_support::Written(Path(), intact));
        if (kept < sectors)
            ASSERT_TRUE(testing_support::CutStreamChain(Path(), L"RegDefine", kept));
        else
            ASSERT_TRUE(testing_support::SetRecordedStreamSize(Path(), L"RegDefine", 64 * 1024));
        uint32_t expectedCount = 0;
        const auto expected = ReadRecordByRecord(Path(), expectedCount);
        CategoryArray read;
        const uint32_t count = ReadCategories(Path().c_str(), read.get(), kMaxCategories);
        ASSERT_EQ(count, expectedCount) << kept << " of " << sectors << " sectors kept";
        for (uint32_t c = 0; c < count; ++c) EXPECT_EQ(ItemNames(read[c]), expected[c]) << "category " << c;
        EXPECT_GE(count, lastCount);
        lastCount = count;
    }
    EXPECT_EQ(lastCount, 20u) << "a size claiming more must not cost any category";
}

// A stream whose bytes end early, as a damaged file's do, and whose failed
// read still moves it on by the bytes it delivered, as some storage
// implementations do.
class EndsEarlyStream : public IStream {
public:
    EndsEarlyStream(ComPtr<IStream> inner, ULONG readable) : inner_(std::move(inner)), readable_(readable) {}
    virtual ~EndsEarlyStream() = default;

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG n, ULONG* got) override {
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER at = {};
        inner_->Seek(zero, STREAM_SEEK_CUR, &at);
        const ULONG left = at.QuadPart >= readable_ ? 0 : readable_ - static_cast<ULONG>(at.QuadPart);
        ULONG done = 0;
        inner_->Read(buffer, n < left ? n : left, &done);
        if (got) *got = done;
        return done == n ? S_OK : STG_E_READFAULT;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
            IsEqualIID(riid, IID_ISequentialStream)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* b, ULONG n, ULONG* w) override { return inner_->Write(b, n, w); }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER d, DWORD o, ULARGE_INTEGER* p) override {
        return inner_->Seek(d, o, p);
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER s) override { return inner_->SetSize(s); }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* t, ULARGE_INTEGER n, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
        return inner_->CopyTo(t, n, r, w);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD f) override { return inner_->Commit(f); }
    HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* s, DWORD f) override { return inner_->Stat(s, f); }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    ComPtr<IStream> inner_;
    ULONG readable_;
    ULONG refs_ = 1;
};

TEST_F(RuleDatabaseTest, AReadThatStopsShortAndMovesOnLosesNoIntactCategory) {
    CategoryArray written;
    Fill(written, 6, 5);
    ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 6), 1);
    std::string raw;
    ASSERT_TRUE(ReadRawStream(Path(), L"RegDefine", raw))
        << ::testing::PrintToString(Path()) << ", error " << ::GetLastError();

    // A fresh stream over the stored bytes, whose reads end after `readable`.
    ULONG readable = 0;
    const RuleStreamOpener open = [&]() -> std::unique_ptr<RuleStream> {
        ComPtr<IStream> memory;
        if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()))) return nullptr;
        ULONG wrote = 0;
        memory->Write(raw.data(), static_cast<ULONG>(raw.size()), &wrote);
        LARGE_INTEGER zero = {};
        memory->Seek(zero, STREAM_SEEK_SET, nullptr);
        ComPtr<IStream> damaged;
        *damaged.put() = new EndsEarlyStream(std::move(memory), readable);
        return std::unique_ptr<RuleStream>(new RuleStream(std::move(damaged)));
    };
    for (readable = 0; readable < raw.size(); readable += 37) {
        CategoryArray expected;
        const uint32_t expectedCount = ReadRegDefine(*open(), expected.get(), kMaxCategories);
        CategoryArray read;
        DatabaseRead outcome;
        const uint32_t count = ReadCategoryStream(open, read.get(), kMaxCategories, false, outcome);
        ASSERT_EQ(count, expectedCount) << "reads end after byte " << readable;
        for (uint32_t c = 0; c < count; ++c) EXPECT_EQ(ItemNames(read[c]), ItemNames(expected[c])) << c;
    }
    EXPECT_GT(readable, 0u);
}

TEST_F(RuleDatabaseTest, WidePathOverloadsReachTheSameFile) {
    CategoryArray written;
    Fill(written, 2, 1);
    ASSERT_EQ(WriteCategories(Path().c_str(), written.get(), 2), 1);
    CategoryArray read;
    EXPECT_EQ(ReadCategories(PathA().c_str(), read.get(), kMaxCategories), 2u);
}

}  // namespace
