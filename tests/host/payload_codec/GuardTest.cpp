#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "ItemPack.h"
#include "payload/Guard.h"

namespace
{

using Bytes = std::vector<unsigned char>;

Bytes Pattern()
{
    Bytes material(kKeyMaterialLength);
    for (size_t i = 0; i < material.size(); ++i)
    {
        material[i] = static_cast<unsigned char>(i * 7 + (i >> 8) * 13 + 1);
    }
    return material;
}

// A move of `count` bytes that the guard must cut to `effective` (0: no move at all).
void ReferenceMove(Bytes& m, int d, int s, int effective)
{
    if (effective > 0)
    {
        std::memmove(m.data() + d, m.data() + s, static_cast<size_t>(effective));
    }
}

TEST(Guard, HasTheFixedLayout)
{
    CGuard guard;
    EXPECT_EQ(nullptr, guard.Material);
    EXPECT_EQ(968, guard.MaterialLength);
    EXPECT_EQ(352, guard.KeyOffset);
    EXPECT_EQ(495, guard.KeyLength);
    EXPECT_EQ(240, guard.MoveASource);
    EXPECT_EQ(414, guard.MoveADestination);
    EXPECT_EQ(65, guard.MoveACount);
    EXPECT_EQ(637, guard.MoveBSource);
    EXPECT_EQ(395, guard.MoveBDestination);
    EXPECT_EQ(205, guard.MoveBCount);
    EXPECT_EQ(42, guard.XorSource);
    EXPECT_EQ(104, guard.XorStart);
    EXPECT_EQ(454, guard.XorCount);
}

TEST(Guard, UnscramblesACopyWithBothMovesAndTheXor)
{
    const Bytes source = Pattern();
    Bytes expected = source;
    std::memmove(expected.data() + 414, expected.data() + 240, 65);
    std::memmove(expected.data() + 395, expected.data() + 637, 205);
    const unsigned char mask = expected[42];
    for (int i = 104; i < 104 + 454; ++i)
    {
        expected[i] ^= mask;
    }

    CGuard guard;
    ASSERT_EQ(1, guard.LoadKeyMaterial(source.data(), static_cast<uint32_t>(source.size())));
    ASSERT_NE(nullptr, guard.Material);
    EXPECT_NE(source.data(), guard.Material);
    EXPECT_EQ(0, std::memcmp(expected.data(), guard.Material, expected.size()));
    EXPECT_EQ(source, Pattern()) << "the carried material must stay as it is";
}

struct MoveCase
{
    int Destination;
    int Source;
    int Count;
    int Effective;
};

class GuardMoves : public testing::TestWithParam<MoveCase>
{
};

TEST_P(GuardMoves, CutsOrSkipsAtTheBounds)
{
    const MoveCase& c = GetParam();
    const Bytes source = Pattern();
    Bytes expected = source;
    ReferenceMove(expected, c.Destination, c.Source, c.Effective);

    CGuard guard;
    guard.MoveADestination = c.Destination;
    guard.MoveASource = c.Source;
    guard.MoveACount = c.Count;
    guard.MoveBCount = 0;
    guard.XorCount = 0;
    ASSERT_EQ(1, guard.LoadKeyMaterial(source.data(), static_cast<uint32_t>(source.size())));
    EXPECT_EQ(0, std::memcmp(expected.data(), guard.Material, expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, GuardMoves,
                         testing::Values(MoveCase{10, 5, 20, 20},   // overlapping, forward: like memmove
                                         MoveCase{5, 10, 20, 20},   // overlapping, backward
                                         MoveCase{0, 900, 100, 68}, // source runs past the end
                                         MoveCase{900, 0, 100, 68}, // destination runs past the end
                                         MoveCase{0, 1, INT_MAX, 967}, MoveCase{968, 0, 10, 0},
                                         MoveCase{-1, 0, 10, 0}, MoveCase{0, 968, 10, 0},
                                         MoveCase{0, -5, 10, 0}, MoveCase{0, 10, -3, 0}));

struct XorCase
{
    int Source;
    int Start;
    int Count;
    int Effective;
};

class GuardXor : public testing::TestWithParam<XorCase>
{
};

TEST_P(GuardXor, ReadsTheMaskOnceAndCutsAtTheEnd)
{
    const XorCase& c = GetParam();
    const Bytes source = Pattern();
    Bytes expected = source;
    if (c.Effective > 0)
    {
        const unsigned char mask = expected[c.Source];
        for (int i = c.Start; i < c.Start + c.Effective; ++i)
        {
            expected[i] ^= mask;
        }
    }

    CGuard guard;
    guard.MoveACount = 0;
    guard.MoveBCount = 0;
    guard.XorSource = c.Source;
    guard.XorStart = c.Start;
    guard.XorCount = c.Count;
    ASSERT_EQ(1, guard.LoadKeyMaterial(source.data(), static_cast<uint32_t>(source.size())));
    EXPECT_EQ(0, std::memcmp(expected.data(), guard.Material, expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, GuardXor,
                         testing::Values(XorCase{110, 104, 20, 20}, // the mask byte is inside the range
                                         XorCase{42, 900, 100, 68}, XorCase{42, 0, INT_MAX, 968},
                                         XorCase{42, 968, 10, 0}, XorCase{42, -1, 10, 0},
                                         XorCase{968, 0, 10, 0}, XorCase{-1, 0, 10, 0}));

class GuardLoadLengths : public testing::TestWithParam<uint32_t>
{
};

TEST_P(GuardLoadLengths, AWrongLengthFailsAndLeavesNothingLoaded)
{
    Bytes material = Pattern();
    material.resize(1000, 0x5A);
    CGuard guard;
    ASSERT_EQ(1, guard.LoadKeyMaterial(material.data(), kKeyMaterialLength));
    EXPECT_EQ(0, guard.LoadKeyMaterial(material.data(), GetParam()));
    EXPECT_FALSE(guard.HasKeyMaterial());
}

INSTANTIATE_TEST_SUITE_P(Table, GuardLoadLengths, testing::Values(0u, 1u, 967u, 969u, 0xFFFFFFFFu));

TEST(Guard, ANullSourceFailsAndLeavesNothingLoaded)
{
    Bytes material = Pattern();
    CGuard guard;
    ASSERT_EQ(1, guard.LoadKeyMaterial(material.data(), kKeyMaterialLength));
    EXPECT_EQ(0, guard.LoadKeyMaterial(nullptr, kKeyMaterialLength));
    EXPECT_FALSE(guard.HasKeyMaterial());
}

TEST(Guard, ReleasingTwiceIsHarmless)
{
    Bytes material = Pattern();
    CGuard guard;
    guard.ReleaseKeyMaterial();
    ASSERT_EQ(1, guard.LoadKeyMaterial(material.data(), kKeyMaterialLength));
    guard.ReleaseKeyMaterial();
    EXPECT_EQ(nullptr, guard.Material);
    guard.ReleaseKeyMaterial();
    EXPECT_EQ(nullptr, guard.Material);
}

struct SizeCase
{
    uint32_t PlainLength;
    int Fits;
    uint32_t Size;
};

class GuardOutputSize : public testing::TestWithParam<SizeCase>
{
};

TEST_P(GuardOutputSize, RoundsDownToEvenAndAddsTwo)
{
    const SizeCase& c = GetParam();
    uint32_t size = 12345;
    EXPECT_EQ(c.Fits, CGuard::OutputSize(c.PlainLength, &size));
    EXPECT_EQ(c.Fits ? c.Size : 12345u, size);
}

INSTANTIATE_TEST_SUITE_P(Table, GuardOutputSize,
                         testing::Values(SizeCase{0, 1, 2}, SizeCase{1, 1, 2}, SizeCase{5, 1, 6},
                                         SizeCase{6, 1, 8}, SizeCase{7, 1, 8},
                                         SizeCase{0xFFFFFFFDu, 1, 0xFFFFFFFEu}, SizeCase{0xFFFFFFFEu, 0, 0},
                                         SizeCase{0xFFFFFFFFu, 0, 0}));

} // namespace
