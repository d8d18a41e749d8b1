// DecodeItem over arbitrary input. The first byte picks what the rest is:
//   0: the carried bytes themselves, as an item of exactly that length;
//   1: a deciphered block (header and all), enciphered here so the header parsing is reached;
//   2: content plus damage: a valid item is made from the content and then changed in one place
//      (a header word, a deflate byte with its checksum made to fit again, a cut), so that
//      the inflate and the checks behind the checksums are reached too.
// Whatever happens, a rejected input must leave the caller's length and extra as they were, and an
// accepted one must give back exactly what its header promised.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ItemPack.h"
#include "payload/Guard.h"

namespace
{

// A header may promise any plain length, and the decoder allocates it before inflating. Beyond
// this the fuzzer would only be measuring malloc, so such inputs are not run.
constexpr uint32_t kPlainLengthLimit = 1u << 24;

CGuard* TheGuard()
{
    static CGuard* guard = []
    {
        static CGuard g;
        packer::Bytes material = packer::MakeKeyMaterial("fuzz");
        if (!g.LoadKeyMaterial(material.data(), kKeyMaterialLength))
        {
            std::abort();
        }
        return &g;
    }();
    return guard;
}

void Check(const unsigned char* item, size_t size, const uint32_t* expectedPlainLength = nullptr,
           const packer::Bytes* expectedContent = nullptr)
{
    if (size > UINT32_MAX)
    {
        return;
    }
    // An exact copy, so a read past the end is caught.
    unsigned char* exact = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (size)
    {
        std::memcpy(exact, item, size);
    }
    uint32_t length = static_cast<uint32_t>(size);
    uint32_t extra = 0xFEEDFACEu;
    unsigned char* result = TheGuard()->DecodeItem(exact, &length, &extra);
    if (!result)
    {
        if (length != size || extra != 0xFEEDFACEu)
        {
            std::abort();
        }
    }
    else
    {
        if (expectedPlainLength && length != *expectedPlainLength)
        {
            std::abort();
        }
        if (expectedContent && (length != expectedContent->size() ||
                                (length && std::memcmp(result, expectedContent->data(), length) != 0)))
        {
            std::abort();
        }
        // Touch every byte promised, so a short buffer shows up.
        volatile unsigned char sink = 0;
        for (uint32_t i = 0; i < length; ++i)
        {
            sink = sink ^ result[i];
        }
        std::free(result);
    }
    std::free(exact);
}

uint32_t Word(const uint8_t* data, size_t size, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
    {
        value |= static_cast<uint32_t>(at + i < size ? data[at + i] : 0) << (8 * i);
    }
    return value;
}

void DamagedItem(const uint8_t* data, size_t size)
{
    if (size < 6)
    {
        return;
    }
    const uint8_t how = data[0];
    const uint32_t where = Word(data, size, 1) & 0xFFFF;
    const uint8_t value = data[5];
    packer::Bytes plain(data + 6, data + size);
    packer::Bytes packed;
    if (!packer::DeflateRaw(plain.data(), plain.size(), 1 + how % 9, &packed))
    {
        return;
    }
    ItemHeader header = packer::MakeHeader(plain.data(), plain.size(), packed, value);
    size_t storage = header.StoredLength;
    switch (how % 6)
    {
        case 0: // untouched: must decode to the content
            break;
        case 1: // a header word nudged up or down a little
        {
            uint32_t* words[] = {&header.StoredLength, &header.PlainLength, &header.PackedLength,
                                 &header.PlainCrc,     &header.PackedCrc,   &header.Extra};
            *words[where % 6] += static_cast<int8_t>(value);
            break;
        }
        case 2: // a deflate byte changed, and the packed checksum made to fit, so the inflater sees it
            if (!packed.empty())
            {
                packed[where % packed.size()] ^= value ? value : 1;
                header.PackedCrc = packer::Crc32(packed.data(), packed.size());
            }
            break;
        case 3: // deflate data cut short, checksums made to fit
            packed.resize(where % (packed.size() + 1));
            header.PackedLength = static_cast<uint32_t>(packed.size());
            header.PackedCrc = packer::Crc32(packed.data(), packed.size());
            break;
        case 4: // trailing bytes inside PackedLength (covered by its checksum, ignored by inflate)
            packed.resize(packed.size() + where % 64, value);
            header.PackedLength = static_cast<uint32_t>(packed.size());
            header.PackedCrc = packer::Crc32(packed.data(), packed.size());
            header.StoredLength = static_cast<uint32_t>((24 + packed.size() + 7) & ~size_t(7));
            storage = header.StoredLength;
            break;
        case 5: // the carried bytes cut or with one bit changed
            break;
    }
    if (header.PlainLength > kPlainLengthLimit)
    {
        return;
    }
    packer::Bytes item;
    if (!packer::SealItem(*TheGuard(), header, packed, storage, &item))
    {
        return;
    }
    if (how % 6 == 5)
    {
        if (value & 1)
        {
            item[where % item.size()] ^= static_cast<uint8_t>(1u << (value >> 5));
            Check(item.data(), item.size());
        }
        else
        {
            Check(item.data(), where % (item.size() + 1));
        }
        return;
    }
    if (how % 6 == 0 || how % 6 == 4)
    {
        Check(item.data(), item.size(), nullptr, &plain);
        return;
    }
    Check(item.data(), item.size(), &header.PlainLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    const uint8_t mode = data[0] % 3;
    data += 1;
    size -= 1;
    if (mode == 0)
    {
        Check(data, size);
    }
    else if (mode == 1)
    {
        packer::Bytes block(data, data + size);
        block.resize((block.size() + 7) & ~size_t(7));
        if (block.size() >= 8 && packer::LoadLe32(block.data() + 4) > kPlainLengthLimit)
        {
            return 0;
        }
        if (!block.empty() && packer::EncipherItem(*TheGuard(), &block))
        {
            Check(block.data(), size);
            Check(block.data(), block.size());
        }
    }
    else
    {
        DamagedItem(data, size);
    }
    return 0;
}
