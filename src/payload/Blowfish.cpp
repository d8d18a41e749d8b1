#include "payload/Blowfish.h"

#include <cstdlib>
#include <cstring>

#include "payload/BlowfishTables.inc"

namespace
{

const uint32_t kInitialP[CBlowfish::kPWords] = {OGONEK_BLOWFISH_P_INIT};
const uint32_t kInitialS[CBlowfish::kSWords] = {OGONEK_BLOWFISH_S_INIT};

uint32_t LoadLe32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreLe32(unsigned char* p, uint32_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

uint32_t BlockCount(uint32_t length)
{
    return length == 0 ? 0 : (length - 1) / 8 + 1;
}

} // namespace

int CBlowfish::Init(const unsigned char* key, uint32_t keyLength)
{
    Release();
    if (!key || keyLength == 0)
    {
        return 0;
    }
    P = static_cast<uint32_t*>(std::malloc(sizeof(kInitialP)));
    S = static_cast<uint32_t*>(std::malloc(sizeof(kInitialS)));
    if (!P || !S)
    {
        Release();
        return 0;
    }
    std::memcpy(P, kInitialP, sizeof(kInitialP));
    std::memcpy(S, kInitialS, sizeof(kInitialS));

    uint32_t position = 0;
    for (int i = 0; i < kPWords; ++i)
    {
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b)
        {
            word = word << 8 | key[position];
            position = position + 1 == keyLength ? 0 : position + 1;
        }
        P[i] ^= word;
    }

    uint32_t left = 0;
    uint32_t right = 0;
    for (int i = 0; i < kPWords; i += 2)
    {
        EncipherBlock(&left, &right);
        P[i] = left;
        P[i + 1] = right;
    }
    for (int i = 0; i < kSWords; i += 2)
    {
        EncipherBlock(&left, &right);
        S[i] = left;
        S[i + 1] = right;
    }
    return 1;
}

void CBlowfish::Release()
{
    std::free(P);
    std::free(S);
    P = nullptr;
    S = nullptr;
}

uint32_t CBlowfish::F(uint32_t x) const
{
    uint32_t a = S[x >> 24];
    uint32_t b = S[256 + ((x >> 16) & 0xFF)];
    uint32_t c = S[512 + ((x >> 8) & 0xFF)];
    uint32_t d = S[768 + (x & 0xFF)];
    return ((a + b) ^ c) + d;
}

void CBlowfish::EncipherBlock(uint32_t* left, uint32_t* right) const
{
    uint32_t l = *left;
    uint32_t r = *right;
    for (int i = 0; i < kRounds; i += 2)
    {
        l ^= P[i];
        r ^= F(l);
        r ^= P[i + 1];
        l ^= F(r);
    }
    *left = r ^ P[kRounds + 1];
    *right = l ^ P[kRounds];
}

void CBlowfish::DecipherBlock(uint32_t* left, uint32_t* right) const
{
    uint32_t l = *left;
    uint32_t r = *right;
    for (int i = kRounds + 1; i > 1; i -= 2)
    {
        l ^= P[i];
        r ^= F(l);
        r ^= P[i - 1];
        l ^= F(r);
    }
    *left = r ^ P[0];
    *right = l ^ P[1];
}

void CBlowfish::Encipher(const unsigned char* in, unsigned char* out, uint32_t length) const
{
    uint32_t blocks = BlockCount(length);
    for (uint32_t i = 0; i < blocks; ++i)
    {
        uint32_t left = LoadLe32(in + 8 * i);
        uint32_t right = LoadLe32(in + 8 * i + 4);
        EncipherBlock(&left, &right);
        StoreLe32(out + 8 * i, left);
        StoreLe32(out + 8 * i + 4, right);
    }
}

void CBlowfish::Decipher(const unsigned char* in, unsigned char* out, uint32_t length) const
{
    uint32_t blocks = BlockCount(length);
    for (uint32_t i = 0; i < blocks; ++i)
    {
        uint32_t left = LoadLe32(in + 8 * i);
        uint32_t right = LoadLe32(in + 8 * i + 4);
        DecipherBlock(&left, &right);
        StoreLe32(out + 8 * i, left);
        StoreLe32(out + 8 * i + 4, right);
    }
}
