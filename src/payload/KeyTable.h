// The keys whose virtual keys and scan-code mapping the user may change, with the layout's defaults.
#pragma once

#include <cstdint>

struct KeyRecord
{
    uint16_t ScanCode;      // 0x01-0x7E, 0xE0xx, 0xE11D; 0xFF for the special row; 0 ends the table
    uint16_t AssignedKey;   // default VK (constant table) or the user's VK, 0 meaning unchanged
    uint16_t NameId;        // string id of the key's display name
    uint16_t RemapScanCode; // 0 none, 255 disabled, else the scan code the key is mapped to
};

constexpr int kKeyCount = 146;
extern const KeyRecord StaticKeyTable[kKeyCount];

// First record with this scan code, or null; the walk ends at the first record whose scan code is 0,
// so scan code 0 is never found.
KeyRecord* FindKeyRecord(KeyRecord* table, int count, uint16_t scanCode);
const KeyRecord* FindDefaultKeyRecord(uint16_t scanCode);
// Clears whatever a record holds that equals the layout's default, so a record carries only changes.
int NormaliseKeyTable(KeyRecord* table, int count);
