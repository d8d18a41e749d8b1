#include <gtest/gtest.h>

#include <cstring>

#include "payload/Blowfish.h"
#include "payload/Guard.h"

namespace
{

struct Vector
{
    const char* Key;
    const char* Plain;
    const char* Cipher;
};

// The published single-block vectors for the 8-byte keys, written as published: each 32-bit half
// most significant byte first.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
};

void ParseHex(const char* hex, unsigned char* out)
{
    for (int i = 0; i < 8; ++i)
    {
        auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
        out[i] = static_cast<unsigned char>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    }
}

// Our blocks hold each half least significant byte first.
void ReverseHalves(unsigned char* block)
{
    std::swap(block[0], block[3]);
    std::swap(block[1], block[2]);
    std::swap(block[4], block[7]);
    std::swap(block[5], block[6]);
}

class BlowfishVectors : public testing::TestWithParam<Vector>
{
};

TEST_P(BlowfishVectors, EnciphersAndDeciphersThePublishedBlock)
{
    const Vector& v = GetParam();
    unsigned char key[8], plain[8], cipher[8];
    ParseHex(v.Key, key);
    ParseHex(v.Plain, plain);
    ParseHex(v.Cipher, cipher);
    ReverseHalves(plain);
    ReverseHalves(cipher);

    CBlowfish blowfish;
    ASSERT_EQ(1, blowfish.Init(key, sizeof(key)));
    unsigned char block[8];
    blowfish.Encipher(plain, block, sizeof(block));
    EXPECT_EQ(0, std::memcmp(block, cipher, 8));
    blowfish.Decipher(block, block, sizeof(block));
    EXPECT_EQ(0, std::memcmp(block, plain, 8));
}

INSTANTIATE_TEST_SUITE_P(Published, BlowfishVectors, testing::ValuesIn(kVectors));

TEST(Blowfish, RefusesAnEmptyKey)
{
    unsigned char key[1] = {0};
    CBlowfish blowfish;
    EXPECT_EQ(0, blowfish.Init(key, 0));
    EXPECT_EQ(0, blowfish.Init(nullptr, 8));
    EXPECT_FALSE(blowfish.IsReady());
}

TEST(Crc32, MatchesTheStandardValues)
{
    const unsigned char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(0x352441C2u, CGuard::Crc32(abc, 3));
    EXPECT_EQ(0u, CGuard::Crc32(abc, 0));
    const char* digits = "123456789";
    EXPECT_EQ(0xCBF43926u, CGuard::Crc32(reinterpret_cast<const unsigned char*>(digits), 9));
}

} // namespace
