#include "engine/ScancodeMap.h"

#include <cstdlib>

namespace
{
uint32_t Load32(const unsigned char* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void Store32(unsigned char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}
} // namespace

int CountRemappedKeys(const KeyRecord* table, int count)
{
    int n = 0;
    for (int i = 0; table && i < count; ++i)
        if (table[i].RemapScanCode != 0)
            ++n;
    return n;
}

unsigned char* EncodeScancodeMap(const KeyRecord* table, int count, uint32_t* size)
{
    if (size)
        *size = 0;
    if (!table || count <= 0)
        return nullptr;
    const int n = CountRemappedKeys(table, count);
    const uint32_t total = kScancodeMapHeaderSize + 4 * static_cast<uint32_t>(n) + 4;
    unsigned char* value = static_cast<unsigned char*>(malloc(total));
    if (!value)
        return nullptr;
    Store32(value, 0);
    Store32(value + 4, 0);
    Store32(value + 8, static_cast<uint32_t>(n) + 1);
    unsigned char* entry = value + kScancodeMapHeaderSize;
    for (int i = 0; i < count; ++i)
    {
        const KeyRecord& key = table[i];
        if (key.RemapScanCode == 0)
            continue;
        const uint16_t sends = key.RemapScanCode == kRemapDisabled ? 0 : key.RemapScanCode;
        Store32(entry, static_cast<uint32_t>(key.ScanCode) << 16 | sends);
        entry += 4;
    }
    Store32(entry, 0);
    if (size)
        *size = total;
    return value;
}

int DecodeScancodeMap(KeyRecord* table, int count, const unsigned char* value, uint32_t size)
{
    if (!table || count <= 0 || !value || size < kScancodeMapHeaderSize + 4)
        return 0;
    const int32_t n = static_cast<int32_t>(Load32(value + 8));
    // 64-bit arithmetic: a count near 2^31 must not wrap round into a small size.
    if (n <= 1 || static_cast<uint64_t>(size) < 4 * static_cast<uint64_t>(n) + kScancodeMapHeaderSize)
        return 0;
    int taken = 0;
    for (int32_t i = 0; i < n - 1; ++i)
    {
        const uint32_t entry = Load32(value + kScancodeMapHeaderSize + 4 * static_cast<uint32_t>(i));
        KeyRecord* key = FindKeyRecord(table, count, static_cast<uint16_t>(entry >> 16));
        if (!key)
            continue;
        const uint16_t sends = static_cast<uint16_t>(entry & 0xFFFF);
        key->RemapScanCode = sends ? sends : kRemapDisabled;
        ++taken;
    }
    NormaliseKeyTable(table, count);
    return taken;
}
