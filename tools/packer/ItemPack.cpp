#include "ItemPack.h"

#include <cstring>

#include <zlib.h>

#include "payload/Blowfish.h"
#include "payload/Guard.h"

namespace packer
{

void StoreLe32(unsigned char* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        p[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

uint32_t LoadLe32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

Bytes MakeKeyMaterial(const std::string& seed)
{
    // FNV-1a folds the seed into a 64-bit state, splitmix64 stretches it.
    uint64_t state = 0xCBF29CE484222325ull;
    for (unsigned char c : seed)
    {
        state = (state ^ c) * 0x100000001B3ull;
    }
    Bytes material(kKeyMaterialLength);
    for (size_t i = 0; i < material.size(); i += 8)
    {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        for (size_t b = 0; b < 8 && i + b < material.size(); ++b)
        {
            material[i + b] = static_cast<unsigned char>(z >> (8 * b));
        }
    }
    return material;
}

bool DeflateRaw(const unsigned char* data, size_t length, int level, Bytes* out)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    {
        return false;
    }
    out->resize(deflateBound(&stream, static_cast<uLong>(length)));
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = out->data();
    stream.avail_out = static_cast<uInt>(out->size());
    int result = deflate(&stream, Z_FINISH);
    out->resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

uint32_t Crc32(const unsigned char* data, size_t length)
{
    return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(length)));
}

static bool RunCipher(const CGuard& guard, Bytes* item, bool encipher)
{
    if (item->empty() || item->size() % 8 != 0 || item->size() > UINT32_MAX)
    {
        return false;
    }
    CBlowfish cipher;
    if (!guard.InitCipher(&cipher))
    {
        return false;
    }
    uint32_t length = static_cast<uint32_t>(item->size());
    if (encipher)
    {
        cipher.Encipher(item->data(), item->data(), length);
    }
    else
    {
        cipher.Decipher(item->data(), item->data(), length);
    }
    return true;
}

bool DecipherItem(const CGuard& guard, Bytes* item)
{
    return RunCipher(guard, item, false);
}

bool EncipherItem(const CGuard& guard, Bytes* item)
{
    return RunCipher(guard, item, true);
}

bool SealItem(const CGuard& guard, const ItemHeader& header, const Bytes& packed, size_t storedLength,
              Bytes* item)
{
    size_t needed = (kItemHeaderSize + packed.size() + 7) & ~static_cast<size_t>(7);
    size_t size = storedLength > needed ? (storedLength + 7) & ~static_cast<size_t>(7) : needed;
    item->assign(size, 0);
    unsigned char* p = item->data();
    StoreLe32(p, header.StoredLength);
    StoreLe32(p + 4, header.PlainLength);
    StoreLe32(p + 8, header.PackedLength);
    StoreLe32(p + 12, header.PlainCrc);
    StoreLe32(p + 16, header.PackedCrc);
    StoreLe32(p + 20, header.Extra);
    if (!packed.empty())
    {
        std::memcpy(p + kItemHeaderSize, packed.data(), packed.size());
    }
    return EncipherItem(guard, item);
}

ItemHeader MakeHeader(const unsigned char* plain, size_t plainLength, const Bytes& packed, uint32_t extra)
{
    ItemHeader header;
    header.StoredLength =
        static_cast<uint32_t>((kItemHeaderSize + packed.size() + 7) & ~static_cast<size_t>(7));
    header.PlainLength = static_cast<uint32_t>(plainLength);
    header.PackedLength = static_cast<uint32_t>(packed.size());
    header.PlainCrc = Crc32(plain, plainLength);
    header.PackedCrc = Crc32(packed.data(), packed.size());
    header.Extra = extra;
    return header;
}

bool PackItem(const CGuard& guard, const unsigned char* plain, size_t length, uint32_t extra, Bytes* item)
{
    // The header's words are 32 bits wide; leave room for the header and the padding too.
    if (length > UINT32_MAX / 2)
    {
        return false;
    }
    Bytes packed;
    if (!DeflateRaw(plain, length, 9, &packed) || packed.size() > UINT32_MAX - 64)
    {
        return false;
    }
    ItemHeader header = MakeHeader(plain, length, packed, extra);
    return SealItem(guard, header, packed, header.StoredLength, item);
}

} // namespace packer
