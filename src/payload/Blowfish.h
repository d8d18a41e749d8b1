#pragma once

#include <cstdint>

// Blowfish (16 rounds) in ECB mode over 8-byte blocks whose two 32-bit halves are stored
// little-endian: the left half is bytes 0 to 3 with byte 0 least significant, the right half
// bytes 4 to 7. Items are enciphered that way, so the packer and the decoder must agree on it.
//
// The P-array and the S-boxes live in two heap blocks that the object owns; a context is set up
// for one job and thrown away, so no key schedule outlives the decode that needed it.
class CBlowfish
{
  public:
    static constexpr int kRounds = 16;
    static constexpr int kPWords = kRounds + 2;
    static constexpr int kSWords = 4 * 256;

    CBlowfish() = default;
    ~CBlowfish() { Release(); }
    CBlowfish(const CBlowfish&) = delete;
    CBlowfish& operator=(const CBlowfish&) = delete;

    // Allocates the tables, fills them with the digits of pi and runs the standard key schedule
    // over the key, gathering bytes most significant first and wrapping round a short key.
    // 0 when the key is empty or memory runs out (the object is then empty).
    int Init(const unsigned char* key, uint32_t keyLength);
    void Release();
    bool IsReady() const { return P != nullptr && S != nullptr; }

    void EncipherBlock(uint32_t* left, uint32_t* right) const;
    void DecipherBlock(uint32_t* left, uint32_t* right) const;

    // ((length - 1) / 8) + 1 blocks for a non-zero length: whole blocks are always processed,
    // so both buffers must hold the length rounded up to a multiple of 8. In and out may be the
    // same buffer.
    void Encipher(const unsigned char* in, unsigned char* out, uint32_t length) const;
    void Decipher(const unsigned char* in, unsigned char* out, uint32_t length) const;

  private:
    uint32_t F(uint32_t x) const;

    uint32_t* P = nullptr;
    uint32_t* S = nullptr;
};
