#include "payload/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{

void PutLe32(std::vector<unsigned char>* out, uint32_t v)
{
    for (int s = 0; s < 32; s += 8)
    {
        out->push_back(static_cast<unsigned char>(v >> s));
    }
}

// A table in the decoded layout, entries given in index order, texts as UTF-8 blocks.
unsigned char* MakeTable(const std::vector<std::pair<uint32_t, std::string>>& entries,
                         uint32_t* length = nullptr)
{
    std::vector<unsigned char> index;
    std::vector<unsigned char> texts;
    for (const auto& e : entries)
    {
        PutLe32(&index, e.first);
        PutLe32(&index, static_cast<uint32_t>(texts.size()));
        PutLe32(&texts, kCountedUtf8Flag | static_cast<uint32_t>(e.second.size()));
        texts.insert(texts.end(), e.second.begin(), e.second.end());
    }
    index.insert(index.end(), texts.begin(), texts.end());
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(index.size() + 1));
    std::memcpy(buffer, index.data(), index.size());
    if (length != nullptr)
    {
        *length = static_cast<uint32_t>(index.size());
    }
    return buffer;
}

std::string TextOf(const unsigned char* block)
{
    const uint32_t header = ReadLe32(block);
    EXPECT_NE(header & kCountedUtf8Flag, 0u);
    return std::string(reinterpret_cast<const char*>(block + 4), header & kCountedLengthMask);
}

TEST(StringTable, OneEntryFindsThatIdAndNoOther)
{
    StringTable table;
    ASSERT_EQ(table.Attach(MakeTable({{7, "seven"}}), 1), 1);
    const unsigned char* block = table.Find(7);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(TextOf(block), "seven");
    for (uint32_t miss : {0u, 6u, 8u, 0x80000007u, 0xFFFFFFFFu})
    {
        EXPECT_EQ(table.Find(miss), nullptr) << miss;
    }
}

TEST(StringTable, IdsCompareUnsigned)
{
    // 0xFFFFFFFF sorts last; compared as a signed number it would sort first and be missed.
    StringTable table;
    ASSERT_EQ(
        table.Attach(MakeTable({{0, "zero"}, {5, "five"}, {0x7FFFFFFF, "big"}, {0xFFFFFFFF, "top"}}), 4), 1);
    const std::pair<uint32_t, const char*> hits[] = {
        {0, "zero"}, {5, "five"}, {0x7FFFFFFF, "big"}, {0xFFFFFFFF, "top"}};
    for (const auto& hit : hits)
    {
        const unsigned char* block = table.Find(hit.first);
        ASSERT_NE(block, nullptr) << hit.first;
        EXPECT_EQ(TextOf(block), hit.second);
    }
    for (uint32_t miss : {1u, 4u, 6u, 0x80000000u, 0xFFFFFFFEu})
    {
        EXPECT_EQ(table.Find(miss), nullptr) << miss;
    }
}

TEST(StringTable, ManyEntries)
{
    std::vector<std::pair<uint32_t, std::string>> entries;
    for (uint32_t i = 0; i < 1000; ++i)
    {
        entries.emplace_back(3 * i + 1, "t" + std::to_string(i));
    }
    uint32_t length = 0;
    unsigned char* buffer = MakeTable(entries, &length);
    EXPECT_EQ(CheckStringTable(buffer, length, 1000), 1);
    StringTable table;
    ASSERT_EQ(table.Attach(buffer, 1000), 1);
    for (uint32_t i = 0; i < 1000; ++i)
    {
        const unsigned char* block = table.Find(3 * i + 1);
        ASSERT_NE(block, nullptr) << i;
        EXPECT_EQ(TextOf(block), "t" + std::to_string(i));
        EXPECT_EQ(table.Find(3 * i), nullptr);
        EXPECT_EQ(table.Find(3 * i + 2), nullptr);
    }
}

TEST(StringTable, AttachRefusalKeepsContentAndReleaseEmpties)
{
    StringTable table;
    EXPECT_EQ(table.Find(1), nullptr);
    ASSERT_EQ(table.Attach(MakeTable({{1, "one"}}), 1), 1);
    EXPECT_EQ(table.Attach(nullptr, 1), 0);
    unsigned char* spare = MakeTable({{2, "two"}});
    EXPECT_EQ(table.Attach(spare, 0), 0);
    std::free(spare);
    ASSERT_NE(table.Find(1), nullptr);

    // A second attach releases the first buffer (ASan reports a leak otherwise).
    ASSERT_EQ(table.Attach(MakeTable({{2, "two"}}), 1), 1);
    EXPECT_EQ(table.Find(1), nullptr);
    EXPECT_EQ(TextOf(table.Find(2)), "two");

    table.Release();
    EXPECT_EQ(table.Count, 0u);
    EXPECT_EQ(table.Buffer, nullptr);
    EXPECT_EQ(table.IndexStart, nullptr);
    EXPECT_EQ(table.TextArea, nullptr);
    EXPECT_EQ(table.Find(2), nullptr);
    table.Release();
}

TEST(StringTable, CheckRejectsBrokenTables)
{
    uint32_t length = 0;
    unsigned char* good = MakeTable({{1, "a"}, {2, "bc"}}, &length);
    EXPECT_EQ(CheckStringTable(good, length, 2), 1);
    EXPECT_EQ(CheckStringTable(good, length - 1, 2), 0); // last text cut short
    EXPECT_EQ(CheckStringTable(good, 15, 2), 0);         // index does not fit
    std::free(good);
    unsigned char* unsorted = MakeTable({{2, "a"}, {1, "b"}}, &length);
    EXPECT_EQ(CheckStringTable(unsorted, length, 2), 0);
    std::free(unsorted);
    unsigned char* twice = MakeTable({{1, "a"}, {1, "b"}}, &length);
    EXPECT_EQ(CheckStringTable(twice, length, 2), 0);
    std::free(twice);
}

struct HexCase
{
    const char* Text;
    std::vector<unsigned char> Bytes;
    bool Ok;
};

TEST(StringTable, ParseHexPattern)
{
    const HexCase cases[] = {
        {"0A1B", {0x0A, 0x1B}, true},
        {"0A1", {0x0A}, true}, // the odd digit is ignored
        {"FF00e0", {}, false}, // lower case is refused
        {"0a1b", {}, false},
        {"", {}, false},
        {"0G", {}, false},
        {"0123456789ABCDEF", {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}, true},
    };
    for (const HexCase& c : cases)
    {
        int count = 99;
        unsigned char* bytes = ParseHexPattern(c.Text, static_cast<int>(std::strlen(c.Text)), &count);
        if (!c.Ok)
        {
            EXPECT_EQ(bytes, nullptr) << c.Text;
            EXPECT_EQ(count, 99) << c.Text;
            continue;
        }
        ASSERT_NE(bytes, nullptr) << c.Text;
        ASSERT_EQ(count, static_cast<int>(c.Bytes.size())) << c.Text;
        EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + count), c.Bytes) << c.Text;
        std::free(bytes);
    }
}

TEST(StringTable, StripUtf8Bom)
{
    const struct
    {
        std::vector<unsigned char> Content;
        size_t Skipped;
    } cases[] = {
        {{0xEF, 0xBB, 0xBF, 0x41}, 3}, {{0xEF, 0xBB, 0xBF}, 3},       {{0xEF, 0xBB}, 0},
        {{0x41, 0xEF, 0xBB, 0xBF}, 0}, {{0xEF, 0xBB, 0xBE, 0x41}, 0},
    };
    for (const auto& c : cases)
    {
        uint32_t length = static_cast<uint32_t>(c.Content.size());
        const unsigned char* start = StripUtf8Bom(c.Content.data(), &length);
        EXPECT_EQ(start, c.Content.data() + c.Skipped);
        EXPECT_EQ(length, c.Content.size() - c.Skipped);
    }
}

} // namespace
