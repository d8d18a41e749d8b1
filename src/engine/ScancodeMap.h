// The machine-wide scan-code map value and the key table's remap fields, both ways.
//
// The value, little-endian: version 0, flags 0, the number of entries including the terminator,
// then one 32-bit entry per remapped key (low half the scan code the key now sends, high half the
// key's own scan code) and a terminator of 0. A key switched off (remap 255) sends 0.
#pragma once

#include <cstdint>

#include "payload/KeyTable.h"

constexpr uint16_t kRemapDisabled = 255;
constexpr uint32_t kScancodeMapHeaderSize = 12;

// Records with a non-zero remap field, which become the map's entries.
int CountRemappedKeys(const KeyRecord* table, int count);

// A malloc'ed value of 16 + 4n bytes (the empty map for n = 0) and its size; null without a table or
// when there is no memory. The caller frees it.
unsigned char* EncodeScancodeMap(const KeyRecord* table, int count, uint32_t* size);

// Takes the entries of a value read from the registry into the remap fields and normalises the
// table. Only a value of at least 16 bytes whose count is above 1 and fits in the value is read;
// anything else changes nothing. Returns the number of records that took an entry.
int DecodeScancodeMap(KeyRecord* table, int count, const unsigned char* value, uint32_t size);
