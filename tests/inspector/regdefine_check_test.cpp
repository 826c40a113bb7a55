// The "RegDefine" checks on crafted streams: every problem kind with its
// offset, and the plug-in's view of the stream as its own reader has it.
#include <gtest/gtest.h>

#include "core/byte_stream.h"
#include "tests/inspector/crafted_streams.h"
#include "inspector/regdefine_check.h"

using namespace inspector_testing;

namespace {

struct PluginView {
    uint32_t categories = 0;
    uint64_t items = 0;
};

// What the plug-in's reader takes of the stream, with its store's capacity.
PluginView PluginReads(const std::vector<uint8_t>& stream) {
    std::vector<RuleCategory> categories(kMaxCategories);  // value-initialised: zeroed
    MemorySource source(stream.data(), stream.size());
    PluginView view;
    view.categories = ReadRegDefine(source, categories.data(), kMaxCategories);
    for (uint32_t c = 0; c < view.categories; ++c)
        for (const RuleItem* item = categories[c].items; item; item = item->next) ++view.items;
    ClearItems(categories.data(), view.categories);
    return view;
}

struct Checked {
    FindingList findings;
    RegDefineSummary summary;
};

Checked Check(const std::vector<uint8_t>& stream, bool userDatabase = false) {
    Checked checked;
    RegDefineCheckOptions options;
    options.userDatabase = userDatabase;
    checked.summary = CheckRegDefine(stream.data(), stream.size(), options, checked.findings);
    const PluginView view = PluginReads(stream);
    EXPECT_EQ(checked.summary.categoriesRead, view.categories) << AllText(checked.findings);
    EXPECT_EQ(checked.summary.itemsRead, view.items) << AllText(checked.findings);
    return checked;
}

void ExpectError(const Checked& c, uint64_t offset, const std::string& part) {
    ExpectFinding(c.findings, Severity::kError, "RegDefine", offset, part);
}
void ExpectWarning(const Checked& c, uint64_t offset, const std::string& part) {
    ExpectFinding(c.findings, Severity::kWarning, "RegDefine", offset, part);
}

// Content of an item record (tag, root, "Software\X", "x", flags, wide ""):
// 24 bytes, so 32 as written.
std::vector<uint8_t> ItemContent() {
    RegDefineBuilder b(0);
    b.Item();
    return std::vector<uint8_t>(b.Stream().begin() + 8, b.Stream().begin() + 8 + 24);
}

TEST(RegDefineCheck, AStreamAsTheWriterWritesItIsSound) {
    std::vector<RuleCategory> categories(2);
    std::memset(categories.data(), 0, 2 * sizeof(RuleCategory));
    categories[0].id = 5;
    const utf16_t wide[] = {0x4E2D, 0x6587, 0};  // a name that is not ASCII
    std::memcpy(categories[0].wideName, wide, sizeof wide);
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = kHkeyCurrentUser;
    for (int i = 0; i < 3; ++i) {
        item.keyPath[0] = static_cast<char>('a' + i);
        PrependItem(&categories[0], &item);
    }
    categories[1].id = 800;  // no items: the record and its terminator
    MemorySink sink;
    WriteRegDefine(sink, categories.data(), 2);
    ClearItems(categories.data(), 2);

    const Checked c = Check(sink.Bytes());
    EXPECT_TRUE(c.findings.All().empty()) << AllText(c.findings);
    EXPECT_EQ(c.summary.categories, 2u);
    EXPECT_EQ(c.summary.items, 3u);
}

TEST(RegDefineCheck, FormatNumber) {
    RegDefineBuilder above(257);
    above.Category(1);
    above.Terminator();
    const Checked c = Check(above.Stream());
    ExpectError(c, 0, "format number 257 is above 256");
    EXPECT_EQ(c.summary.categories, 1u);
    EXPECT_EQ(c.summary.categoriesRead, 0u);

    RegDefineBuilder below(255);
    below.Category(1);
    below.Terminator();
    ExpectError(Check(below.Stream()), 0, "format number 255 is not 256 (the plug-in still reads");

    ExpectError(Check({}), 0, "the stream is empty");
    ExpectError(Check({0, 1, 0}), 0, "3 bytes long, too short for the 4-byte format number");
}

TEST(RegDefineCheck, EveryBadRecordLengthIsReported) {
    RegDefineBuilder b;
    b.Category(1);
    b.Terminator();
    const size_t overlong = b.Raw(5000, {kCategoryTag});
    b.Category(2);
    const size_t offGrid = b.Raw(40, ItemContent());  // on an 8-byte grid, not a 16-byte one
    const size_t empty = b.Stream().size();
    b.U32(0);
    b.Terminator();
    const size_t pastEnd = b.Stream().size();
    b.U32(64);
    b.Bytes(std::vector<uint8_t>(10, 0x55));

    const Checked c = Check(b.Stream());
    ExpectError(c, overlong, "record length 5000 is over the 4096-byte limit");
    ExpectError(c, offGrid, "record length 40 is not a multiple of 16");
    ExpectWarning(c, offGrid, "40 bytes long where its 24 bytes of content need 32");
    ExpectError(c, empty, "record length 0");
    ExpectError(c, pastEnd, "record length 64 runs past the end of the stream, 10 bytes after the length");
    EXPECT_EQ(c.summary.categories, 3u);
    EXPECT_EQ(c.summary.categoriesRead, 1u);  // the reader stops at the overlong record
}

TEST(RegDefineCheck, TagsAndTerminators) {
    RegDefineBuilder wrongTag;
    const size_t unknown = wrongTag.Raw(16, {0x41});
    ExpectError(Check(wrongTag.Stream()), unknown + 4, "record tag 0x41 is neither");

    RegDefineBuilder orphan;
    orphan.Category(1);
    orphan.Terminator();
    const size_t item = orphan.Item();
    orphan.Item();
    orphan.Terminator();
    const Checked o = Check(orphan.Stream());
    ExpectError(o, item, "an item record stands where a category record should begin");
    EXPECT_EQ(o.findings.Errors(), 1u) << AllText(o.findings);  // one report for the whole run

    RegDefineBuilder missing;
    missing.Category(1);
    missing.Item();
    const size_t second = missing.Category(2);
    missing.Item();
    missing.Terminator();
    const Checked m = Check(missing.Stream());
    ExpectError(m, second, "the terminating item record of category #1 (id 1) is missing");
    EXPECT_EQ(m.summary.categoriesRead, 1u);

    RegDefineBuilder cut;
    cut.Category(7);
    cut.Item();
    ExpectError(Check(cut.Stream()), cut.Stream().size(), "the stream ends inside category #1 (id 7)");

    RegDefineBuilder texts;
    texts.Category(1);
    const size_t terminator = texts.Raw(16, {kItemTag, 0, 0, 0, 0, 'z', 0, 0, 0, 0, 0, 0, 0});
    ExpectWarning(Check(texts.Stream()), terminator, "carries texts or flags, which the plug-in ignores");
}

TEST(RegDefineCheck, BytesAfterTheLastCategory) {
    RegDefineBuilder b;
    b.Category(1);
    b.Terminator();
    const size_t end = b.Stream().size();
    std::vector<uint8_t> few = b.Stream(), zeros = b.Stream();
    few.insert(few.end(), {1, 2, 3});
    zeros.insert(zeros.end(), 16, 0);
    ExpectError(Check(few), end, "3 bytes follow the last record, too few for a record length");
    ExpectError(Check(zeros), end, "16 zero bytes follow the last record");
}

TEST(RegDefineCheck, FieldsThatTheRecordEndCuts) {
    // Category: tag, id, name "N", then a description without its NUL.
    std::vector<uint8_t> category = {kCategoryTag, 1, 0, 0, 0, 'N', 0};
    category.insert(category.end(), 25, 'D');
    RegDefineBuilder b;
    const size_t at = b.Raw(32, category);
    b.Terminator();
    const Checked c = Check(b.Stream());
    ExpectError(c, at + 4 + 7, "category #1 (id 1): the description has no terminating NUL within the record's 32");

    // Item: tag, root, key path "abcdefg", name "n", and one byte of its flags.
    std::vector<uint8_t> item = {kItemTag, 2, 0, 0, 0x80, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 0, 'n', 0, 9};
    RegDefineBuilder i;
    i.Category(1);
    const size_t itemAt = i.Raw(16, item);
    i.Terminator();
    ExpectError(Check(i.Stream()), itemAt + 4 + 15, "the record's 16 bytes end inside its flags field");
}

TEST(RegDefineCheck, RecordsThatAreReadButNotAsWritten) {
    std::vector<uint8_t> longName = {kCategoryTag, 3, 0, 0, 0};
    longName.insert(longName.end(), 80, 'a');
    longName.insert(longName.end(), 1 + 1 + 1 + 20 + 6, 0);  // NULs, five integers, three wide NULs
    RegDefineBuilder b;
    const size_t category = b.Raw(128, longName);
    const size_t padded = b.Raw(48, ItemContent());
    std::vector<uint8_t> dirty = ItemContent();
    dirty.resize(31, 0);
    dirty[30] = 7;
    const size_t dirtyAt = b.Raw(32, dirty);
    const size_t oddRoot = b.Item(0x80000004);
    b.Terminator();
    const size_t again = b.Category(3);
    b.Terminator();

    const Checked c = Check(b.Stream());
    EXPECT_EQ(c.findings.Errors(), 0u) << AllText(c.findings);
    ExpectWarning(c, category + 4 + 5, "the name is 80 bytes long; the plug-in keeps the first 63");
    ExpectWarning(c, padded, "48 bytes long where its 24 bytes of content need 32");
    ExpectWarning(c, dirtyAt + 4 + 30, "the padding after the record's content is not zero");
    ExpectWarning(c, oddRoot + 5, "root 0x80000004 is not one of the registry roots");
    ExpectWarning(c, again, "category #1 has the same id");
}

TEST(RegDefineCheck, UserDatabaseAndCapacity) {
    RegDefineBuilder unnamed;
    unnamed.Category(800, "");
    unnamed.Terminator();
    EXPECT_EQ(Check(unnamed.Stream()).findings.All().size(), 0u);
    ExpectError(Check(unnamed.Stream(), true), 4, "the plug-in deletes such a file when it loads it");

    RegDefineBuilder full;
    size_t beyond = 0;
    for (int32_t id = 1; id <= static_cast<int32_t>(kMaxCategories) + 2; ++id) {
        const size_t at = full.Category(id);
        if (id == static_cast<int32_t>(kMaxCategories) + 1) beyond = at;
        full.Item();
        full.Terminator();
    }
    const Checked c = Check(full.Stream());
    ExpectWarning(c, beyond, "category #1001 (id 1001) and any after it are beyond the 1000 categories");
    EXPECT_EQ(c.summary.categoriesRead, kMaxCategories);
    EXPECT_EQ(c.summary.itemsRead, kMaxCategories);
}

// Damaged streams of every shape: the walk stays within the bytes (the
// native sanitizer build would tell), and its view agrees with the reader's
// (checked in Check); a stream without errors is read whole.
TEST(RegDefineCheck, AgreesWithThePluginReaderOnDamagedStreams) {
    RegDefineBuilder b;
    for (int32_t id = 1; id <= 6; ++id) {
        b.Category(id, "Group");
        for (int i = 0; i < id; ++i) b.Item(kHkeyCurrentUser, "Software\\Vendor\\Key", "Item");
        b.Terminator();
    }
    const std::vector<uint8_t> sound = b.Stream();
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> damaged = sound;
        const int changes = 1 + next() % 3;
        for (int k = 0; k < changes; ++k) {
            const size_t at = next() % damaged.size();
            switch (next() % 3) {
            case 0: damaged[at] = static_cast<uint8_t>(next()); break;
            case 1: damaged.resize(at); break;
            default: damaged.insert(damaged.begin() + at, static_cast<uint8_t>(next())); break;
            }
            if (damaged.empty()) break;
        }
        const Checked c = Check(damaged);
        if (c.findings.Errors() == 0) {
            EXPECT_EQ(c.summary.categoriesRead, c.summary.categories) << "round " << round;
            EXPECT_EQ(c.summary.itemsRead, c.summary.items) << "round " << round;
        }
    }
}

}  // namespace
