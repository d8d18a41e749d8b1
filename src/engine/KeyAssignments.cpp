#include "engine/KeyAssignments.h"

#include <cstdlib>

unsigned char* EncodeKeyAssignments(KeyRecord* table, int count, uint32_t* size)
{
    if (size)
        *size = 0;
    if (!table)
        return nullptr;
    NormaliseKeyTable(table, count);
    uint32_t assigned = 0;
    for (int i = 0; i < count; ++i)
        if (table[i].AssignedKey != 0)
            ++assigned;
    // malloc(0) may answer null; one spare byte keeps an empty block a real one.
    unsigned char* block = static_cast<unsigned char*>(malloc(4 * assigned + 1));
    if (!block)
        return nullptr;
    unsigned char* at = block;
    for (int i = 0; i < count; ++i)
    {
        const KeyRecord& key = table[i];
        if (key.AssignedKey == 0)
            continue;
        at[0] = static_cast<unsigned char>(key.ScanCode & 0xFF);
        at[1] = static_cast<unsigned char>(key.ScanCode >> 8);
        at[2] = static_cast<unsigned char>(key.AssignedKey & 0xFF);
        at[3] = static_cast<unsigned char>(key.AssignedKey >> 8);
        at += 4;
    }
    if (size)
        *size = 4 * assigned;
    return block;
}

int DecodeKeyAssignments(KeyRecord* table, int count, const unsigned char* bytes, uint32_t size)
{
    if (!table || !bytes || size == 0)
        return 0;
    for (uint32_t offset = 0; size - offset >= 4; offset += 4)
    {
        const uint16_t scanCode = static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
        const uint16_t key = static_cast<uint16_t>(bytes[offset + 2] | bytes[offset + 3] << 8);
        if (key == 0)
            continue;
        if (KeyRecord* record = FindKeyRecord(table, count, scanCode))
            record->AssignedKey = key;
    }
    NormaliseKeyTable(table, count);
    return 1;
}
