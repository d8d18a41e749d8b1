#pragma once

// The packing side of the item format, shared by the packer, the codec tests, the fuzz target and
// the benchmark. Host code: free to use the standard library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "payload/EmbeddedItem.h"

class CGuard;

namespace packer
{

using Bytes = std::vector<unsigned char>;

// Carried (scrambled) key material, the same for the same seed so that builds are reproducible.
// Any bytes will do: the cipher key is whatever CGuard's unscrambling makes of them.
Bytes MakeKeyMaterial(const std::string& seed);

// Raw deflate (no zlib or gzip wrapper). False when zlib fails.
bool DeflateRaw(const unsigned char* data, size_t length, int level, Bytes* out);

uint32_t Crc32(const unsigned char* data, size_t length);

// Header plus packed bytes, padded with zeros to storedLength (or to the next multiple of 8 when
// that is less than needed), enciphered under the guard's key. The header is written as given,
// so tests can make items with any header they like. False when the guard has no key material.
bool SealItem(const CGuard& guard, const ItemHeader& header, const Bytes& packed, size_t storedLength,
              Bytes* item);

// The whole job of a packer: deflate at level 9, header with both checksums, padding, encipher.
bool PackItem(const CGuard& guard, const unsigned char* plain, size_t length, uint32_t extra, Bytes* item);

// The header PackItem writes for content of plainLength bytes with the given deflate data.
ItemHeader MakeHeader(const unsigned char* plain, size_t plainLength, const Bytes& packed, uint32_t extra);

// Deciphers a whole item (a multiple of 8 bytes) in place; for tests that tamper with the inside.
bool DecipherItem(const CGuard& guard, Bytes* item);
bool EncipherItem(const CGuard& guard, Bytes* item);

void StoreLe32(unsigned char* p, uint32_t value);
uint32_t LoadLe32(const unsigned char* p);

} // namespace packer
