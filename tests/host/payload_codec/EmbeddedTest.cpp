#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "payload/Guard.h"
#include "payload_codec_items.h"

namespace
{

const char kSample[] = "Carried through ogonek_payload_library.\n";

TEST(EmbeddedPayload, TheBuildsItemsDecodeWithItsKeyMaterial)
{
    CGuard guard;
    ASSERT_EQ(1, guard.LoadKeyMaterial(KeyMaterial, kKeyMaterialLength));
    struct
    {
        const EmbeddedItem& Item;
        uint32_t Extra;
    } cases[] = {{CodecSampleText, 42}, {CodecSampleCounted, 4321}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(0u, c.Item.Length % 8);
        uint32_t length = c.Item.Length;
        uint32_t extra = 0;
        unsigned char* text = guard.DecodeItem(c.Item.Bytes, &length, &extra);
        ASSERT_NE(nullptr, text);
        ASSERT_EQ(sizeof(kSample) - 1, length);
        EXPECT_EQ(0, std::memcmp(kSample, text, length));
        EXPECT_EQ(c.Extra, extra);
        std::free(text);
    }
}

} // namespace
