// The parts of the fault runs that decide what counts as a fault: the
// independent reading of a blob header, the replayable damage, and the check
// that a database read is one whole stamped database.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

#include "tests/faults/blob_mutation.h"
#include "tests/faults/stamped_database.h"

namespace {

std::vector<uint8_t> Header(std::initializer_list<uint32_t> offsets, size_t total) {
    std::vector<uint8_t> blob(total, 0);
    size_t at = 0;
    for (uint32_t v : offsets) {
        std::memcpy(&blob[at], &v, 4);
        at += 4;
    }
    return blob;
}

TEST(BlobHeaderJudge, AcceptsOnlyPairsInsideTheBlob) {
    EXPECT_TRUE(ReadBlobHeader(Header({24, 24, 24, 24, 24, 24}, 24)).wellFormed);
    EXPECT_TRUE(ReadBlobHeader(Header({24, 34, 34, 34, 34, 39}, 39)).wellFormed);
    // Parts in another order, overlapping, or inside the header are still readable.
    EXPECT_TRUE(ReadBlobHeader(Header({30, 39, 24, 30, 0, 24}, 39)).wellFormed);

    EXPECT_FALSE(ReadBlobHeader(Header({24, 34, 34, 34, 34, 40}, 39)).wellFormed) << "end past the blob";
    EXPECT_FALSE(ReadBlobHeader(Header({25, 24, 24, 24, 24, 24}, 24)).wellFormed) << "start after end";
    EXPECT_FALSE(ReadBlobHeader(Header({24, 0xFFFFFFFF, 24, 24, 24, 24}, 24)).wellFormed);
    EXPECT_FALSE(ReadBlobHeader(std::vector<uint8_t>(23, 0)).wellFormed) << "no room for the header";
}

TEST(BlobDamage, IsTheSameForTheSameSeedAndIteration) {
    const std::vector<uint8_t> base = Header({24, 40, 40, 70, 70, 100}, 100);
    for (uint32_t i = 0; i < 50; ++i) {
        FaultRandom first(7, i), second(7, i);
        std::string kind1, kind2;
        EXPECT_EQ(MutateBlob(base, first, kind1), MutateBlob(base, second, kind2));
        EXPECT_EQ(kind1, kind2);
    }
}

class StampedDatabase : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto& db : m_databases) ClearItems(db.data(), static_cast<uint32_t>(db.size()));
    }
    std::vector<RuleCategory>& Build(uint32_t writer, uint32_t round, uint32_t categories) {
        DatabaseStamp stamp;
        stamp.writer = writer;
        stamp.round = round;
        stamp.categories = categories;
        m_databases.push_back(BuildStampedDatabase(stamp));
        return m_databases.back();
    }
    bool Verify(const std::vector<RuleCategory>& db, size_t n, DatabaseStamp& stamp) {
        std::string problem;
        return VerifyStampedDatabase(db.data(), static_cast<uint32_t>(n), stamp, problem);
    }
    std::deque<std::vector<RuleCategory>> m_databases;  // references stay valid as it grows
};

TEST_F(StampedDatabase, AWholeDatabaseNamesItsWriterAndRound) {
    std::vector<RuleCategory>& db = Build(1, 17, 5);
    DatabaseStamp stamp;
    ASSERT_TRUE(Verify(db, db.size(), stamp));
    EXPECT_EQ(stamp.writer, 1u);
    EXPECT_EQ(stamp.round, 17u);
    EXPECT_EQ(stamp.categories, 5u);
}

TEST_F(StampedDatabase, MissingOrMixedCategoriesAreNotWhole) {
    std::vector<RuleCategory>& db = Build(0, 3, 6);
    DatabaseStamp stamp;
    EXPECT_FALSE(Verify(db, 5, stamp)) << "one category short";
    EXPECT_FALSE(Verify(db, 0, stamp));

    // Category 2 taken from another writer's database of the same shape.
    std::vector<RuleCategory>& other = Build(1, 3, 6);
    std::vector<RuleCategory> mixed = db;
    mixed[2] = other[2];
    EXPECT_FALSE(Verify(mixed, mixed.size(), stamp));
}

TEST_F(StampedDatabase, ALostStrayOrChangedItemIsNotWhole) {
    // Round 5, writer 0: category 1 has (35 + 3) % 16 = 6 items.
    std::vector<RuleCategory>& db = Build(0, 5, 3);
    DatabaseStamp stamp;
    ASSERT_TRUE(Verify(db, db.size(), stamp));
    RuleCategory& category = db[1];
    ASSERT_NE(category.items, nullptr);

    RuleItem* first = category.items;
    category.items = first->next;  // lost
    EXPECT_FALSE(Verify(db, db.size(), stamp));
    category.items = first;

    char saved = first->keyPath[std::strlen(first->keyPath) - 1];
    first->keyPath[std::strlen(first->keyPath) - 1] = '9';  // another item's path, or none
    EXPECT_FALSE(Verify(db, db.size(), stamp));
    first->keyPath[std::strlen(first->keyPath) - 1] = saved;

    first->root = 0x80000003;  // same path, wrong root
    EXPECT_FALSE(Verify(db, db.size(), stamp));
}

}  // namespace
