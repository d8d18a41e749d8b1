// The scan-code map value: written from the remap fields, read back into them, and every malformed
// value the registry could hold.
#include "engine/ScancodeMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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
    KeyRecord* r = FindKeyRecord(table.data(), static_cast<int>(table.size()), scanCode);
    EXPECT_NE(r, nullptr) << std::hex << scanCode;
    return *r;
}

std::vector<uint8_t> Bytes(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

TEST(ScancodeMap, EncodesOneEntryPerRemappedKeyInTableOrder)
{
    std::vector<KeyRecord> table = FreshTable();
    Record(table, 0xE05B).RemapScanCode = 255; // switched off: sends 0
    Record(table, 0x3A).RemapScanCode = 0x1D;  // Caps Lock sends Left Ctrl
    Record(table, 0x1D).RemapScanCode = 0x3A;
    uint32_t size = 0;
    unsigned char* value = EncodeScancodeMap(table.data(), kKeyCount, &size);
    ASSERT_NE(value, nullptr);
    const std::vector<uint8_t> expected = Bytes({0, 0, 4, 0x001D003A, 0x003A001D, 0xE05B0000, 0});
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(std::vector<uint8_t>(value, value + size), expected);

    // And back: 0 becomes 255 again, the other entries land on their keys.
    std::vector<KeyRecord> read = FreshTable();
    EXPECT_EQ(DecodeScancodeMap(read.data(), kKeyCount, value, size), 3);
    for (int i = 0; i < kKeyCount; ++i)
        EXPECT_EQ(read[i].RemapScanCode, table[i].RemapScanCode) << i;
    free(value);
}

TEST(ScancodeMap, NoRemappingGivesTheEmptyMap)
{
    std::vector<KeyRecord> table = FreshTable();
    EXPECT_EQ(CountRemappedKeys(table.data(), kKeyCount), 0);
    uint32_t size = 0;
    unsigned char* value = EncodeScancodeMap(table.data(), kKeyCount, &size);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(value, value + size), Bytes({0, 0, 1, 0}));
    free(value);
    EXPECT_EQ(EncodeScancodeMap(nullptr, kKeyCount, &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(ScancodeMap, ReadingNormalisesAndSkipsUnknownKeys)
{
    std::vector<KeyRecord> table = FreshTable();
    // 0x10 mapped to itself disappears; 0x54 has no record; the entry after the count is not read.
    const std::vector<uint8_t> value = Bytes({0, 0, 4, 0x00100010, 0x0054001D, 0xE01D0038, 0x003A0001, 0});
    EXPECT_EQ(DecodeScancodeMap(table.data(), kKeyCount, value.data(), static_cast<uint32_t>(value.size())),
              2);
    EXPECT_EQ(Record(table, 0x10).RemapScanCode, 0);
    EXPECT_EQ(Record(table, 0xE01D).RemapScanCode, 0x38);
    EXPECT_EQ(Record(table, 0x3A).RemapScanCode, 0) << "the fourth entry lies past the count";
    EXPECT_EQ(CountRemappedKeys(table.data(), kKeyCount), 1);
}

// Every size from 0 to 64 bytes with counts from 0 to 2^32 - 1: a value is read only when it holds
// all count - 1 entries and its terminator's place, and nothing outside it is touched.
TEST(ScancodeMap, MalformedValuesOfEverySizeAndCount)
{
    const uint32_t counts[] = {0,          1,          2,          3,          4,          5,
                               12,         13,         0x3FFFFFFF, 0x40000000, 0x40000001, 0x40000004,
                               0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFF, 0xFFFFFFFC};
    for (uint32_t size = 0; size <= 64; ++size)
    {
        for (uint32_t count : counts)
        {
            // Exactly size bytes on the heap; entries that all name Caps Lock, mapped to Left Ctrl.
            std::unique_ptr<uint8_t[]> value(new uint8_t[size ? size : 1]);
            for (uint32_t i = 0; i < size; ++i)
                value[i] = 0;
            for (uint32_t at = 12; at + 4 <= size; at += 4)
            {
                value[at] = 0x1D;
                value[at + 2] = 0x3A;
            }
            if (size >= 12)
                memcpy(value.get() + 8, &count, 4); // the hosts here are all little-endian
            std::vector<KeyRecord> table = FreshTable();
            const int32_t n = static_cast<int32_t>(count);
            const bool readable = size >= 16 && n > 1 && static_cast<uint64_t>(size) >= 4ull * n + 12;
            const int taken = DecodeScancodeMap(table.data(), kKeyCount, value.get(), size);
            EXPECT_EQ(taken, readable ? n - 1 : 0) << "size " << size << " count " << count;
            EXPECT_EQ(Record(table, 0x3A).RemapScanCode, readable ? 0x1D : 0)
                << "size " << size << " count " << count;
            EXPECT_EQ(CountRemappedKeys(table.data(), kKeyCount), readable ? 1 : 0);
        }
    }
    std::vector<KeyRecord> table = FreshTable();
    const std::vector<uint8_t> value = Bytes({0, 0, 2, 0x001D003A, 0});
    EXPECT_EQ(DecodeScancodeMap(nullptr, kKeyCount, value.data(), 20), 0);
    EXPECT_EQ(DecodeScancodeMap(table.data(), kKeyCount, nullptr, 20), 0);
    EXPECT_EQ(DecodeScancodeMap(table.data(), 0, value.data(), 20), 0);
}
} // namespace
