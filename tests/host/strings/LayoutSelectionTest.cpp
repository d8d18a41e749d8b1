#include "payload/LayoutSelection.h"

#include <gtest/gtest.h>

namespace
{

// Every build gets its own byte as its item and a length that spells out where it sits.
struct FakeCatalogue
{
    unsigned char Bytes[kBuildSetCount][kLayoutVariantCount][kBuildIndexCount] = {};
    const unsigned char* Items[kBuildSetCount][kLayoutVariantCount][kBuildIndexCount];
    int32_t Lengths[kBuildSetCount][kLayoutVariantCount][kBuildIndexCount];
    LayoutCatalogue Catalogue;

    FakeCatalogue()
    {
        for (int s = 0; s < kBuildSetCount; ++s)
        {
            for (int v = 0; v < kLayoutVariantCount; ++v)
            {
                for (int b = 0; b < kBuildIndexCount; ++b)
                {
                    Items[s][v][b] = &Bytes[s][v][b];
                    Lengths[s][v][b] = 7000 + 1000 * s + 100 * v + b;
                }
                Catalogue.Items[s][v] = Items[s][v];
                Catalogue.Lengths[s][v] = Lengths[s][v];
            }
        }
    }
};

struct SelectCase
{
    int32_t OsCode;
    uint16_t Processor;
    int32_t Variant;
    int32_t Stored;
    int32_t Option;
    bool Ok;
    int Primary;   // build index, or -1
    int Secondary; // build index, or -1
};

constexpr uint16_t kUnknown = 0xFFFF;

const SelectCase kCases[] = {
    // Windows 2000 and XP: x86 only, whatever the processor says.
    {50, 0, 0, 0, 0, true, 0, -1},
    {50, 9, 0, 0, 0, true, 0, -1},
    {50, 6, 1, 0, 0, true, 0, -1},
    {50, kUnknown, 0, 0, 0, true, 0, -1},
    {51, 0, 0, 0, 0, true, 1, -1},
    {51, 9, 0, 0, 0, true, 1, -1},
    {51, 6, 0, 0, 0, true, 1, -1},
    // 5.2, 6.0, 6.1: x86, IA64, AMD64.
    {52, 0, 0, 0, 0, true, 2, -1},
    {52, 6, 0, 0, 0, true, 2, 3},
    {52, 9, 0, 0, 0, true, 2, 4},
    {52, kUnknown, 0, 0, 0, false, -1, -1},
    {52, 5, 0, 0, 0, false, -1, -1},
    {60, 0, 0, 0, 0, true, 5, -1},
    {60, 6, 0, 0, 0, true, 5, 6},
    {60, 9, 0, 0, 0, true, 5, 7},
    {60, kUnknown, 0, 0, 0, false, -1, -1},
    {61, 0, 0, 0, 0, true, 8, -1},
    {61, 6, 0, 0, 0, true, 8, 9},
    {61, 9, 0, 0, 0, true, 8, 10},
    {61, 9, 2, 0, 1, true, 8, 10}, // variant 2, second set: looked up in its tables below
    {61, 12, 0, 0, 0, false, -1, -1},
    // Everything else: x86 and AMD64 only.
    {62, 0, 0, 0, 0, true, 11, -1},
    {62, 9, 0, 0, 0, true, 11, 12},
    {62, 6, 0, 0, 0, false, -1, -1},
    {63, 0, 1, 0, 0, true, 11, -1},
    {63, 9, 1, 0, 0, true, 11, 12},
    {63, 6, 0, 0, 0, false, -1, -1},
    {100, 0, 2, 1, 0, true, 11, -1},
    {100, 9, 2, 1, 1, true, 11, 12},
    {100, 6, 0, 0, 0, false, -1, -1},
    {0, 0, 0, 0, 0, true, 11, -1},
    {53, 9, 0, 0, 0, true, 11, 12},
    {-1, kUnknown, 0, 0, 0, false, -1, -1},
    // A variant outside 0 to 2 would index past the tables.
    {61, 0, 3, 0, 0, false, -1, -1},
    {61, 0, -1, 0, 0, false, -1, -1},
};

TEST(LayoutSelection, EveryVersionAndProcessor)
{
    FakeCatalogue fake;
    for (const SelectCase& c : kCases)
    {
        SCOPED_TRACE(testing::Message()
                     << "OsCode " << c.OsCode << " processor " << c.Processor << " variant " << c.Variant
                     << " sets " << c.Stored << "/" << c.Option);
        LayoutSelection s;
        s.PrimaryItem = s.SecondaryItem = reinterpret_cast<const unsigned char*>(&fake);
        s.PrimaryLength = s.SecondaryLength = 12345;
        const int ok =
            SelectLayoutBuilds(fake.Catalogue, c.OsCode, c.Processor, c.Variant, c.Stored, c.Option, &s);
        ASSERT_EQ(ok, c.Ok ? 1 : 0);
        const int set = (c.Stored || c.Option) ? 1 : 0;
        if (c.Primary < 0)
        {
            EXPECT_EQ(s.PrimaryItem, nullptr);
            EXPECT_EQ(s.PrimaryLength, -1);
        }
        else
        {
            EXPECT_EQ(s.PrimaryItem, &fake.Bytes[set][c.Variant][c.Primary]);
            EXPECT_EQ(s.PrimaryLength, fake.Lengths[set][c.Variant][c.Primary]);
        }
        if (c.Secondary < 0)
        {
            EXPECT_EQ(s.SecondaryItem, nullptr);
            EXPECT_EQ(s.SecondaryLength, -1);
        }
        else
        {
            EXPECT_EQ(s.SecondaryItem, &fake.Bytes[set][c.Variant][c.Secondary]);
            EXPECT_EQ(s.SecondaryLength, fake.Lengths[set][c.Variant][c.Secondary]);
        }
    }
}

TEST(LayoutSelection, SecondSetFromEitherFlag)
{
    FakeCatalogue fake;
    const struct
    {
        int32_t Stored, Option, Set;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}, {5, 0, 1}};
    for (const auto& c : cases)
    {
        LayoutSelection s;
        ASSERT_EQ(SelectLayoutBuilds(fake.Catalogue, 61, 9, 2, c.Stored, c.Option, &s), 1);
        EXPECT_EQ(s.PrimaryItem, &fake.Bytes[c.Set][2][8]);
        EXPECT_EQ(s.SecondaryItem, &fake.Bytes[c.Set][2][10]);
    }
}

} // namespace
