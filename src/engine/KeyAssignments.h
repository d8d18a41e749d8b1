// The key assignments as the install record keeps them: for every record with an assigned virtual
// key, in key-table order, its scan code and the virtual key, 16 bits each, little-endian.
#pragma once

#include <cstdint>

#include "payload/KeyTable.h"

// Normalises the table, then gives a malloc'ed block of 4 bytes per assignment (a valid block even
// when there is none) and its size; null without a table or memory. The caller frees it.
unsigned char* EncodeKeyAssignments(KeyRecord* table, int count, uint32_t* size);

// Gives the first record with each entry's scan code the entry's virtual key (entries with key 0
// are skipped, a trailing part of fewer than 4 bytes is ignored), then normalises the table.
// 0 without a table or without bytes.
int DecodeKeyAssignments(KeyRecord* table, int count, const unsigned char* bytes, uint32_t size);
