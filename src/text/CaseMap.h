// Upper-case mapping of single UTF-16 units: the simple uppercase mapping of Unicode 5.2.
//
// Most of the Basic Multilingual Plane follows a handful of regular rules (fixed offsets, odd/even
// pairs, ranges without case); only the units the rules leave open go to a sorted table of pairs,
// generated at build time from the Unicode data by tools/casegen.  The rules live here, inline, so
// that the generator decides with the very same code which units the table must cover.
#pragma once

#include <cstdint>

// Its uppercase unit; units without one, and surrogate halves, come back unchanged.
char16_t ToUpperChar(char16_t u);

namespace CaseRules
{
// Odd units in these ranges are the lower half of a pair with the even unit just before them.
struct OddRange
{
    uint16_t first;
    uint16_t last;
};
inline constexpr OddRange kOddPairs[] = {{0x0101, 0x012F}, {0x014B, 0x0177}, {0x01F9, 0x021F},
                                         {0x048B, 0x04BF}, {0x04D1, 0x0525}, {0x1E01, 0x1E95},
                                         {0x1EA1, 0x1EFF}, {0x2C81, 0x2CE3}, {0xA733, 0xA76F}};

// 1 when a rule decides the unit, with its result in *upper; 0 when the pair table must be searched.
// The order matters: the first rule that applies wins.
inline int Apply(unsigned u, unsigned* upper)
{
    *upper = u;
    if (u < 0x0061)
        return 1;
    if (u <= 0x007A)
    {
        *upper = u - 0x20;
        return 1;
    }
    if (u <= 0x00DF) // U+00B5 MICRO SIGN stays: its capital would be Greek
        return 1;
    if ((u >= 0x00E0 && u <= 0x00F6) || (u >= 0x0430 && u <= 0x044F) || (u >= 0xFF41 && u <= 0xFF5A))
    {
        *upper = u - 0x20;
        return 1;
    }
    if (u & 1)
        for (const OddRange& r : kOddPairs)
            if (u >= r.first && u <= r.last)
            {
                *upper = u - 1;
                return 1;
            }
    if ((u >= 0x0561 && u <= 0x0586) || (u >= 0x2C30 && u <= 0x2C5E))
    {
        *upper = u - 0x30;
        return 1;
    }
    if (u >= 0x24D0 && u <= 0x24E9)
    {
        *upper = u - 0x1A;
        return 1;
    }
    if (u >= 0x2D00 && u <= 0x2D25)
    {
        *upper = u - 0x1C60;
        return 1;
    }
    if ((u >= 0x04D0 && u <= 0x1D78) || (u >= 0x2185 && u <= 0x2C60) || (u >= 0x2CEF && u <= 0xA640) ||
        u > 0xA78C)
        return 1;
    return 0;
}

// The Greek symbol variants (beta, phi, pi, kappa, rho symbols) keep their form: they are absent from
// the table although Unicode gives them capitals.
inline bool KeptUnchanged(unsigned u)
{
    return u == 0x03D0 || u == 0x03D5 || u == 0x03D6 || u == 0x03F0 || u == 0x03F1;
}

// The table also carries the odd units U+1EF1 to U+1EFF, which a rule reaches first.
inline bool RepeatedInTable(unsigned u)
{
    return u >= 0x1EF1 && u <= 0x1EFF && (u & 1);
}

inline constexpr int kPairCount = 402;
} // namespace CaseRules
