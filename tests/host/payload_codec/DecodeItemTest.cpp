#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OGONEK_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define OGONEK_TEST_ASAN 1
#endif
#if defined(OGONEK_TEST_ASAN)
#include <sanitizer/allocator_interface.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

#include "ItemPack.h"
#include "payload/Guard.h"

namespace
{

using packer::Bytes;

constexpr uint32_t kLengthSentinel = 0xA5A5A5A5u;
constexpr uint32_t kExtraSentinel = 0x5A5A5A5Au;

// Text, a table of numbers and noise, so deflate has to work for its living.
Bytes Content(size_t size, uint32_t seed = 1)
{
    Bytes out;
    out.reserve(size);
    uint32_t state = seed * 2654435761u + 1;
    const char* words[] = {"layout ", "keyboard ", "Ogonek ", "scan code ", "\n", "0x1D ", "install "};
    while (out.size() < size)
    {
        state = state * 1103515245u + 12345u;
        uint32_t kind = (state >> 16) % 8;
        if (kind < 5)
        {
            const char* w = words[(state >> 8) % 7];
            out.insert(out.end(), w, w + std::strlen(w));
        }
        else if (kind < 7)
        {
            for (int i = 0; i < 4; ++i)
            {
                uint32_t v = state >> (8 * i);
                out.push_back(static_cast<unsigned char>(v));
                out.push_back(0);
            }
        }
        else
        {
            out.push_back(static_cast<unsigned char>(state >> 24));
        }
    }
    out.resize(size);
    return out;
}

class DecodeItem : public testing::Test
{
  protected:
    void SetUp() override
    {
        Bytes material = packer::MakeKeyMaterial("decode item tests");
        ASSERT_EQ(1, Guard.LoadKeyMaterial(material.data(), kKeyMaterialLength));
    }

    // The decoder gets a buffer of exactly `length` bytes, so AddressSanitizer sees any read
    // beyond the item.
    unsigned char* Decode(const Bytes& item, size_t length, uint32_t* outLength, uint32_t* outExtra)
    {
        unsigned char* exact = static_cast<unsigned char*>(std::malloc(length ? length : 1));
        if (length)
        {
            std::memcpy(exact, item.data(), length);
        }
        *outLength = static_cast<uint32_t>(length);
        unsigned char* result = Guard.DecodeItem(exact, outLength, outExtra);
        std::free(exact);
        return result;
    }

    void ExpectRejected(const Bytes& item, size_t length)
    {
        uint32_t outLength = 0;
        uint32_t extra = kExtraSentinel;
        unsigned char* exact = static_cast<unsigned char*>(std::malloc(length ? length : 1));
        if (length)
        {
            std::memcpy(exact, item.data(), length);
        }
        outLength = static_cast<uint32_t>(length);
        unsigned char* result = Guard.DecodeItem(exact, &outLength, &extra);
        std::free(exact);
        EXPECT_EQ(nullptr, result);
        std::free(result);
        EXPECT_EQ(static_cast<uint32_t>(length), outLength) << "length written on failure";
        EXPECT_EQ(kExtraSentinel, extra) << "extra written on failure";
    }

    void ExpectDecodes(const Bytes& item, const Bytes& plain, uint32_t extra)
    {
        uint32_t outLength = kLengthSentinel;
        uint32_t outExtra = kExtraSentinel;
        unsigned char* result = Decode(item, item.size(), &outLength, &outExtra);
        ASSERT_NE(nullptr, result);
        EXPECT_EQ(plain.size(), outLength);
        EXPECT_EQ(extra, outExtra);
        EXPECT_TRUE(plain.empty() || std::memcmp(result, plain.data(), plain.size()) == 0);
        std::free(result);
    }

    // An item of `plain` whose header the caller may change; `storedLength` 0 means the natural one.
    Bytes Make(const Bytes& plain, const std::function<void(ItemHeader&, Bytes&)>& change = nullptr,
               size_t storedLength = 0)
    {
        Bytes packed;
        EXPECT_TRUE(packer::DeflateRaw(plain.data(), plain.size(), 9, &packed));
        ItemHeader header = packer::MakeHeader(plain.data(), plain.size(), packed, 7);
        if (storedLength)
        {
            header.StoredLength = static_cast<uint32_t>(storedLength);
        }
        size_t storage = header.StoredLength;
        if (change)
        {
            change(header, packed);
        }
        Bytes item;
        EXPECT_TRUE(packer::SealItem(Guard, header, packed, storage, &item));
        return item;
    }

    CGuard Guard;
};

TEST_F(DecodeItem, RoundTripsThroughThePacker)
{
    const size_t sizes[] = {0, 1, 5, 6, 7, 8, 9, 100, 4096, 70001};
    for (size_t size : sizes)
    {
        SCOPED_TRACE(size);
        Bytes plain = Content(size, static_cast<uint32_t>(size));
        Bytes item;
        ASSERT_TRUE(
            packer::PackItem(Guard, plain.data(), plain.size(), static_cast<uint32_t>(size * 3), &item));
        EXPECT_EQ(0u, item.size() % 8);
        ExpectDecodes(item, plain, static_cast<uint32_t>(size * 3));
    }
}

TEST_F(DecodeItem, ExtraIsOptional)
{
    Bytes plain = Content(300);
    Bytes item;
    ASSERT_TRUE(packer::PackItem(Guard, plain.data(), plain.size(), 5, &item));
    uint32_t length = static_cast<uint32_t>(item.size());
    unsigned char* result = Guard.DecodeItem(item.data(), &length, nullptr);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(plain.size(), length);
    std::free(result);
}

TEST_F(DecodeItem, RejectsAStoredLengthOffByAnyAmount)
{
    Bytes plain = Content(1000);
    ExpectDecodes(Make(plain), plain, 7);
    const int64_t deltas[] = {-32, -8, -1, 1, 7, 8, 0x10000, 0x80000000ll};
    for (int64_t delta : deltas)
    {
        SCOPED_TRACE(delta);
        Bytes item =
            Make(plain, [&](ItemHeader& h, Bytes&) { h.StoredLength += static_cast<uint32_t>(delta); });
        ExpectRejected(item, item.size());
    }
}

TEST_F(DecodeItem, PaddingIsOutsideBothChecksumsButDeflateDataIsNot)
{
    Bytes plain = Content(2000);
    Bytes packed;
    ASSERT_TRUE(packer::DeflateRaw(plain.data(), plain.size(), 9, &packed));
    const size_t padded = ((24 + packed.size() + 7) & ~size_t(7)) + 16;
    Bytes item = Make(plain, nullptr, padded);
    ASSERT_EQ(padded, item.size());

    auto flipped = [&](size_t offset)
    {
        Bytes copy = item;
        EXPECT_TRUE(packer::DecipherItem(Guard, &copy));
        copy[offset] ^= 0x10;
        EXPECT_TRUE(packer::EncipherItem(Guard, &copy));
        return copy;
    };
    ExpectDecodes(flipped(item.size() - 1), plain, 7);
    ExpectDecodes(flipped(24 + packed.size()), plain, 7);
    Bytes damaged = flipped(24 + packed.size() / 2);
    ExpectRejected(damaged, damaged.size());
}

TEST_F(DecodeItem, RejectsAPlainLengthOneTooLongOrShort)
{
    Bytes plain = Content(3000);
    Bytes longer = Make(plain, [](ItemHeader& h, Bytes&) { h.PlainLength += 1; });
    ExpectRejected(longer, longer.size());
    // With a checksum that fits the shorter content, only the inflate can tell.
    Bytes shorter = Make(plain,
                         [&](ItemHeader& h, Bytes&)
                         {
                             h.PlainLength -= 1;
                             h.PlainCrc = packer::Crc32(plain.data(), plain.size() - 1);
                         });
    ExpectRejected(shorter, shorter.size());
}

TEST_F(DecodeItem, RejectsAWrongPlainChecksum)
{
    Bytes plain = Content(500);
    Bytes item = Make(plain, [](ItemHeader& h, Bytes&) { h.PlainCrc ^= 1; });
    ExpectRejected(item, item.size());
}

TEST_F(DecodeItem, PackedLengthMustFitInsideTheStoredLength)
{
    Bytes plain = Content(777);
    // Up to the very end is allowed: the inflater stops at the end of its stream.
    Bytes whole = Make(plain,
                       [](ItemHeader& h, Bytes& packed)
                       {
                           packed.resize(h.StoredLength - 24, 0);
                           h.PackedLength = static_cast<uint32_t>(packed.size());
                           h.PackedCrc = packer::Crc32(packed.data(), packed.size());
                       });
    ExpectDecodes(whole, plain, 7);

    // A decoder that summed these would read past its buffer (far past it for the large ones).
    const uint32_t room = whole.size() - 24;
    const uint32_t claimed[] = {room + 1, room + 8, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (uint32_t value : claimed)
    {
        SCOPED_TRACE(value);
        Bytes item = Make(plain,
                          [&](ItemHeader& h, Bytes& packed)
                          {
                              packed.resize(h.StoredLength - 24, 0);
                              h.PackedLength = value;
                              h.PackedCrc = packer::Crc32(packed.data(), packed.size());
                          });
        ExpectRejected(item, item.size());
    }
}

TEST_F(DecodeItem, RejectsLengthsTooShortForAHeader)
{
    Bytes plain = Content(10);
    Bytes item = Make(plain);
    const size_t lengths[] = {0, 1, 8, 16, 23};
    for (size_t length : lengths)
    {
        SCOPED_TRACE(length);
        ExpectRejected(item, length);
    }
}

TEST_F(DecodeItem, ReadsNothingPastAnItemThatEndsInsideABlock)
{
    // Empty content in a 33-byte item: the last block is cut, and its missing bytes are padding.
    Bytes plain;
    Bytes item = Make(
        plain,
        [](ItemHeader& h, Bytes& packed)
        {
            packed.resize(8, 0);
            h.StoredLength = 33;
        },
        40);
    ASSERT_EQ(40u, item.size());
    uint32_t length = 0;
    uint32_t extra = 0;
    unsigned char* result = Decode(item, 33, &length, &extra);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(0u, length);
    EXPECT_EQ(7u, extra);
    std::free(result);
}

TEST_F(DecodeItem, FailsWithoutKeyMaterialOrWithAnotherKey)
{
    Bytes plain = Content(100);
    Bytes item = Make(plain);
    Guard.ReleaseKeyMaterial();
    ExpectRejected(item, item.size());

    CGuard fresh;
    uint32_t length = static_cast<uint32_t>(item.size());
    EXPECT_EQ(nullptr, fresh.DecodeItem(item.data(), &length, nullptr));
    EXPECT_EQ(item.size(), length);

    Bytes other = packer::MakeKeyMaterial("another key");
    ASSERT_EQ(1, Guard.LoadKeyMaterial(other.data(), kKeyMaterialLength));
    ExpectRejected(item, item.size());
}

#if defined(OGONEK_TEST_ASAN) || defined(_WIN32)
TEST_F(DecodeItem, AllocatesTheContentRoundedDownToEvenPlusTwo)
{
    const uint32_t cases[][2] = {{5, 6}, {6, 8}, {0, 2}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c[0]);
        Bytes plain = Content(c[0]);
        Bytes item = Make(plain);
        uint32_t length = 0;
        unsigned char* result = Decode(item, item.size(), &length, nullptr);
        ASSERT_NE(nullptr, result);
#if defined(OGONEK_TEST_ASAN)
        EXPECT_EQ(c[1], __sanitizer_get_allocated_size(result));
#else
        EXPECT_EQ(c[1], _msize(result));
#endif
        std::free(result);
    }
}
#endif

} // namespace
