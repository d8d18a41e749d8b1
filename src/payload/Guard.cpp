#include "payload/Guard.h"

#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "payload/Blowfish.h"
#include "payload/EmbeddedItem.h"

namespace
{

uint32_t LoadLe32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

ItemHeader ReadHeader(const unsigned char* p)
{
    ItemHeader header;
    header.StoredLength = LoadLe32(p);
    header.PlainLength = LoadLe32(p + 4);
    header.PackedLength = LoadLe32(p + 8);
    header.PlainCrc = LoadLe32(p + 12);
    header.PackedCrc = LoadLe32(p + 16);
    header.Extra = LoadLe32(p + 20);
    return header;
}

// zlib would otherwise reach for its own defaults; setup.exe has only our small runtime.
voidpf ZAlloc(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > SIZE_MAX / size)
    {
        return Z_NULL;
    }
    return std::malloc(static_cast<size_t>(items) * size);
}

void ZFree(voidpf, voidpf address)
{
    std::free(address);
}

// One raw deflate stream, all input at once, into exactly plainLength bytes.
int InflateExact(const unsigned char* packed, uint32_t packedLength, unsigned char* out, uint32_t plainLength)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    stream.zalloc = ZAlloc;
    stream.zfree = ZFree;
    if (inflateInit2(&stream, -15) != Z_OK)
    {
        return 0;
    }
    stream.next_in = const_cast<Bytef*>(packed);
    stream.avail_in = packedLength;
    stream.next_out = out;
    stream.avail_out = plainLength;
    int result = inflate(&stream, Z_FINISH);
    uLong produced = stream.total_out;
    inflateEnd(&stream);
    return result == Z_STREAM_END && produced == plainLength;
}

// Frees what a decode allocated unless it is handed to the caller.
struct DecodeBuffers
{
    unsigned char* Work = nullptr;
    unsigned char* Output = nullptr;
    ~DecodeBuffers()
    {
        std::free(Work);
        std::free(Output);
    }
};

} // namespace

CGuard::~CGuard()
{
    ReleaseKeyMaterial();
}

int CGuard::LoadKeyMaterial(const unsigned char* source, uint32_t length)
{
    ReleaseKeyMaterial();
    if (!source || length == 0 || MaterialLength <= 0 || length != static_cast<uint32_t>(MaterialLength))
    {
        return 0;
    }
    Material = static_cast<unsigned char*>(std::malloc(length));
    if (!Material)
    {
        return 0;
    }
    std::memcpy(Material, source, length);
    MoveBytes(MoveADestination, MoveASource, MoveACount);
    MoveBytes(MoveBDestination, MoveBSource, MoveBCount);
    XorRange();
    return 1;
}

void CGuard::ReleaseKeyMaterial()
{
    if (!Material)
    {
        return;
    }
    // Through a volatile pointer: a plain memset right before free may be dropped by the compiler.
    volatile unsigned char* wipe = Material;
    for (int32_t i = 0; i < MaterialLength; ++i)
    {
        wipe[i] = 0;
    }
    std::free(Material);
    Material = nullptr;
}

void CGuard::MoveBytes(int32_t destination, int32_t source, int32_t count)
{
    const int64_t length = MaterialLength;
    if (destination < 0 || destination >= length || source < 0 || source >= length || count <= 0)
    {
        return;
    }
    int64_t n = count;
    if (destination < source)
    {
        if (source + n > length)
        {
            n = length - source;
        }
        for (int64_t i = 0; i < n; ++i)
        {
            Material[destination + i] = Material[source + i];
        }
    }
    else
    {
        if (destination + n > length)
        {
            n = length - destination;
        }
        for (int64_t i = n; i-- > 0;)
        {
            Material[destination + i] = Material[source + i];
        }
    }
}

void CGuard::XorRange()
{
    const int64_t length = MaterialLength;
    if (XorStart < 0 || XorStart >= length || XorSource < 0 || XorSource >= length || XorCount <= 0)
    {
        return;
    }
    int64_t n = XorCount;
    if (XorStart + n > length)
    {
        n = length - XorStart;
    }
    // Read once: the source byte may lie inside the range it changes.
    const unsigned char mask = Material[XorSource];
    for (int64_t i = 0; i < n; ++i)
    {
        Material[XorStart + i] ^= mask;
    }
}

int CGuard::InitCipher(CBlowfish* cipher) const
{
    if (!cipher || !Material || KeyOffset < 0 || KeyLength <= 0 ||
        static_cast<int64_t>(KeyOffset) + KeyLength > MaterialLength)
    {
        return 0;
    }
    return cipher->Init(Material + KeyOffset, static_cast<uint32_t>(KeyLength));
}

uint32_t CGuard::Crc32(const unsigned char* data, uint32_t length)
{
    return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), data, length));
}

int CGuard::OutputSize(uint32_t plainLength, uint32_t* size)
{
    uint32_t even = plainLength & ~1u;
    if (even > UINT32_MAX - 2)
    {
        return 0;
    }
    *size = even + 2;
    return 1;
}

unsigned char* CGuard::DecodeItem(const unsigned char* item, uint32_t* length, uint32_t* extra) const
{
    if (!Material || !item || !length)
    {
        return nullptr;
    }
    CBlowfish cipher;
    if (!InitCipher(&cipher))
    {
        return nullptr;
    }
    const uint32_t given = *length;
    // Shorter than a header cannot be an item, and the rounding below must not wrap.
    if (given < kItemHeaderSize || given > UINT32_MAX - 7)
    {
        return nullptr;
    }
    const uint32_t rounded = (given + 7) & ~7u;

    DecodeBuffers buffers;
    buffers.Work = static_cast<unsigned char*>(std::malloc(rounded));
    if (!buffers.Work)
    {
        return nullptr;
    }
    // Only the given bytes are read: a length that is not a whole number of blocks must not make
    // the last block reach past the caller's item.
    std::memcpy(buffers.Work, item, given);
    std::memset(buffers.Work + given, 0, rounded - given);
    cipher.Decipher(buffers.Work, buffers.Work, rounded);

    const ItemHeader header = ReadHeader(buffers.Work);
    if (header.StoredLength != given)
    {
        return nullptr;
    }
    if (header.PackedLength > header.StoredLength - kItemHeaderSize)
    {
        return nullptr;
    }
    const unsigned char* packed = buffers.Work + kItemHeaderSize;
    if (Crc32(packed, header.PackedLength) != header.PackedCrc)
    {
        return nullptr;
    }

    uint32_t outputSize = 0;
    if (!OutputSize(header.PlainLength, &outputSize))
    {
        return nullptr;
    }
    buffers.Output = static_cast<unsigned char*>(std::malloc(outputSize));
    if (!buffers.Output)
    {
        return nullptr;
    }
    if (!InflateExact(packed, header.PackedLength, buffers.Output, header.PlainLength))
    {
        return nullptr;
    }
    if (Crc32(buffers.Output, header.PlainLength) != header.PlainCrc)
    {
        return nullptr;
    }

    if (extra)
    {
        *extra = header.Extra;
    }
    *length = header.PlainLength;
    unsigned char* result = buffers.Output;
    buffers.Output = nullptr;
    return result;
}
