#include "text/CaseMap.h"

namespace
{
struct UpperPair
{
    uint16_t lower;
    uint16_t upper;
};

// Generated from UnicodeData.txt and DerivedAge.txt by tools/casegen: sorted by the lower unit.
constexpr UpperPair kUpperPairs[] = {
#include "text/UpperPairs.inc"
};
static_assert(sizeof(kUpperPairs) / sizeof(kUpperPairs[0]) == CaseRules::kPairCount,
              "the uppercase pair table has the wrong size");
} // namespace

char16_t ToUpperChar(char16_t u)
{
    unsigned upper;
    if (CaseRules::Apply(u, &upper))
        return static_cast<char16_t>(upper);
    int low = 0;
    int high = CaseRules::kPairCount - 1;
    while (low <= high)
    {
        const int mid = (low + high) / 2;
        const unsigned key = kUpperPairs[mid].lower;
        if (key == u)
            return static_cast<char16_t>(kUpperPairs[mid].upper);
        if (key < u)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return u;
}
