#pragma once

#include <cstdint>

// An enciphered item as the program carries it: Length bytes (always a multiple of 8) that
// CGuard::DecodeItem turns back into the content.
//
// The build generates the items, the key material and a header declaring them (see
// cmake/Payload.cmake): one `extern const EmbeddedItem <Name>;` per item and
// `extern "C" const unsigned char KeyMaterial[kKeyMaterialLength];` for CGuard::LoadKeyMaterial.
struct EmbeddedItem
{
    const unsigned char* Bytes;
    uint32_t Length;
};

// The first 24 bytes of a deciphered item, six little-endian words in this order. Raw deflate
// data of PackedLength bytes follows, then padding up to StoredLength that neither checksum
// covers.
struct ItemHeader
{
    uint32_t StoredLength; // must equal the carried length
    uint32_t PlainLength;
    uint32_t PackedLength;
    uint32_t PlainCrc;  // CRC-32 of the content
    uint32_t PackedCrc; // CRC-32 of the deflate data
    uint32_t Extra;     // handed back to the caller (entry count of a string table, else 0)
};

constexpr uint32_t kItemHeaderSize = 24;
constexpr uint32_t kKeyMaterialLength = 968;
