#include "payload/LayoutSelection.h"

int PickBuildIndices(int32_t osCode, uint16_t processor, int* primary, int* secondary)
{
    int b = -1;
    int a = -1;
    // Windows 2000 and XP have x86 builds only; their processor is not looked at.
    if (osCode == 50)
    {
        b = 0;
    }
    else if (osCode == 51)
    {
        b = 1;
    }
    else
    {
        // Versions 5.2, 6.0 and 6.1 have x86, IA64 and AMD64 builds; everything else (6.2 and
        // later, and codes no table knows) has x86 and AMD64 builds only.
        int x86 = 11;
        int ia64 = -1;
        int amd64 = 12;
        if (osCode == 52)
        {
            x86 = 2, ia64 = 3, amd64 = 4;
        }
        else if (osCode == 60)
        {
            x86 = 5, ia64 = 6, amd64 = 7;
        }
        else if (osCode == 61)
        {
            x86 = 8, ia64 = 9, amd64 = 10;
        }
        if (processor == kProcessorX86)
        {
            b = x86;
        }
        else if (processor == kProcessorIa64 && ia64 >= 0)
        {
            b = x86, a = ia64;
        }
        else if (processor == kProcessorAmd64)
        {
            b = x86, a = amd64;
        }
        else
        {
            return 0;
        }
    }
    *primary = b;
    *secondary = a;
    return 1;
}

int SelectLayoutBuilds(const LayoutCatalogue& catalogue, int32_t osCode, uint16_t processor, int32_t variant,
                       int32_t secondSetStored, int32_t secondSetOption, LayoutSelection* selection)
{
    if (selection == nullptr)
    {
        return 0;
    }
    selection->PrimaryItem = nullptr;
    selection->SecondaryItem = nullptr;
    selection->PrimaryLength = -1;
    selection->SecondaryLength = -1;

    int b = -1;
    int a = -1;
    if (!PickBuildIndices(osCode, processor, &b, &a))
    {
        return 0;
    }
    // The variant is always 0 to 2 by the time an install runs; anything else would index past
    // the tables, so it fails like an unknown processor.
    if (variant < 0 || variant >= kLayoutVariantCount)
    {
        return 0;
    }
    const int set = (secondSetStored != 0 || secondSetOption != 0) ? 1 : 0;
    const unsigned char* const* items = catalogue.Items[set][variant];
    const int32_t* lengths = catalogue.Lengths[set][variant];
    if (items == nullptr || lengths == nullptr)
    {
        return 0;
    }
    selection->PrimaryItem = items[b];
    selection->PrimaryLength = lengths[b];
    if (a >= 0)
    {
        selection->SecondaryItem = items[a];
        selection->SecondaryLength = lengths[a];
    }
    return 1;
}
