// The key assignments as the install record keeps them, both ways, and values of odd sizes.
#include "engine/KeyAssignments.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
std::vector<KeyRecord> FreshTable()
{
    std::vector<KeyRecord> table(StaticKeyTable, StaticKeyTable + kKeyCount);
    for (KeyRecord& k : table)
        k.AssignedKey = 0;
    return table;
}

KeyRecord& Record(std::vector<KeyRecord>& table, uint16_t scanCode)
{
    return *FindKeyRecord(table.data(), static_cast<int>(table.size()), scanCode);
}

TEST(KeyAssignments, EncodeNormalisesAndKeepsTableOrder)
{
    std::vector<KeyRecord> table = FreshTable();
    Record(table, 0xE11D).AssignedKey = 0x91;
    Record(table, 0x3A).AssignedKey = 0xA2;
    Record(table, 0x10).AssignedKey = 0x51; // the default: dropped
    uint32_t size = 99;
    unsigned char* block = EncodeKeyAssignments(table.data(), kKeyCount, &size);
    ASSERT_NE(block, nullptr);
    const std::vector<uint8_t> expected = {0x3A, 0x00, 0xA2, 0x00, 0x1D, 0xE1, 0x91, 0x00};
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(std::vector<uint8_t>(block, block + size), expected);
    EXPECT_EQ(Record(table, 0x10).AssignedKey, 0) << "encoding normalises the table";

    std::vector<KeyRecord> read = FreshTable();
    EXPECT_EQ(DecodeKeyAssignments(read.data(), kKeyCount, block, size), 1);
    for (int i = 0; i < kKeyCount; ++i)
        EXPECT_EQ(read[i].AssignedKey, table[i].AssignedKey) << i;
    free(block);
}

TEST(KeyAssignments, NoAssignmentsGiveAnEmptyBlock)
{
    std::vector<KeyRecord> table = FreshTable();
    uint32_t size = 99;
    unsigned char* block = EncodeKeyAssignments(table.data(), kKeyCount, &size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 0u);
    free(block);
    EXPECT_EQ(EncodeKeyAssignments(nullptr, kKeyCount, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(DecodeKeyAssignments(table.data(), kKeyCount, nullptr, 4), 0);
    const uint8_t one[4] = {0x3A, 0, 0xA2, 0};
    EXPECT_EQ(DecodeKeyAssignments(table.data(), kKeyCount, one, 0), 0);
    EXPECT_EQ(DecodeKeyAssignments(nullptr, kKeyCount, one, 4), 0);
}

// Sizes 1 to 13: whole entries are taken, a tail of fewer than 4 bytes is never read.
TEST(KeyAssignments, OddSizesTakeWholeEntriesOnly)
{
    // Entries: 3A -> A2, an unknown scan code, 0x0000 (ends nothing, found nowhere), key 0 (skipped).
    const uint8_t entries[] = {0x3A, 0x00, 0xA2, 0x00, 0x54, 0x00, 0x41, 0x00, 0x00,
                               0x00, 0x42, 0x00, 0x1D, 0x00, 0x00, 0x00, 0x0F};
    for (uint32_t size = 1; size <= 13; ++size)
    {
        std::unique_ptr<uint8_t[]> value(new uint8_t[size]);
        for (uint32_t i = 0; i < size; ++i)
            value[i] = entries[i];
        std::vector<KeyRecord> table = FreshTable();
        EXPECT_EQ(DecodeKeyAssignments(table.data(), kKeyCount, value.get(), size), 1) << size;
        EXPECT_EQ(Record(table, 0x3A).AssignedKey, size >= 4 ? 0xA2 : 0) << size;
        int assigned = 0;
        for (const KeyRecord& k : table)
            assigned += k.AssignedKey != 0;
        EXPECT_EQ(assigned, size >= 4 ? 1 : 0) << size;
    }
    // The later entry for a key wins.
    const uint8_t twice[] = {0x3A, 0x00, 0xA2, 0x00, 0x3A, 0x00, 0xA3, 0x00};
    std::vector<KeyRecord> table = FreshTable();
    DecodeKeyAssignments(table.data(), kKeyCount, twice, 8);
    EXPECT_EQ(Record(table, 0x3A).AssignedKey, 0xA3);
}
} // namespace
