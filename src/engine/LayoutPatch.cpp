#include "engine/LayoutPatch.h"

#include "text/GStringSearch.h"

namespace
{
LayoutPatchResult Locate(const unsigned char* image, int length, const BytePattern& pattern, int* start)
{
    if (!pattern.Bytes || pattern.Length <= 0)
        return LayoutPatchResult::PatternMissing;
    *start = FindBytes(image, pattern.Bytes, length, pattern.Length, 0);
    // A match that claims to end past the image would be the search's fault; trust nothing.
    if (*start < 0 || *start > length - pattern.Length)
        return LayoutPatchResult::PatternNotFound;
    return LayoutPatchResult::Done;
}

void Store16(unsigned char* at, uint16_t value)
{
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8);
}

// Walks a table of 4-byte entries from start to the entry whose scan-code byte is 0 and stores the
// key in the first entry for this scan code.
LayoutPatchResult PatchPrefixedKey(unsigned char* image, int length, int start, uint8_t scanCode,
                                   uint16_t key)
{
    for (int64_t entry = start;; entry += 4)
    {
        if (entry >= length)
            return LayoutPatchResult::OutsideImage; // no end entry before the image ends
        const uint8_t code = image[entry];
        if (code == 0)
            return LayoutPatchResult::Done;
        if (code == scanCode)
        {
            if (entry + 4 > length)
                return LayoutPatchResult::OutsideImage;
            Store16(image + entry + 2, key);
            return LayoutPatchResult::Done;
        }
    }
}

LayoutPatchResult PatchPrefixedTable(unsigned char* image, int length, const LayoutPatchPlan& plan,
                                     const BytePattern& pattern, uint16_t prefix)
{
    int start = 0;
    LayoutPatchResult result = Locate(image, length, pattern, &start);
    if (result != LayoutPatchResult::Done)
        return result;
    for (int i = 0; i < plan.KeyCount; ++i)
    {
        const KeyRecord& key = plan.Keys[i];
        if ((key.ScanCode & 0xFF00) != prefix || key.AssignedKey == 0)
            continue;
        result = PatchPrefixedKey(image, length, start, static_cast<uint8_t>(key.ScanCode & 0xFF),
                                  key.AssignedKey);
        if (result != LayoutPatchResult::Done)
            return result;
    }
    return LayoutPatchResult::Done;
}
} // namespace

LayoutPatchResult PatchLayoutImage(unsigned char* image, int length, const LayoutPatchPlan& plan)
{
    if (!image || length <= 0)
        return LayoutPatchResult::PatternNotFound;
    if (plan.Keys && plan.KeyCount > 0)
    {
        int table = 0;
        LayoutPatchResult result = Locate(image, length, plan.ScanCodeTable, &table);
        if (result != LayoutPatchResult::Done)
            return result;
        for (int i = 0; i < plan.KeyCount; ++i)
        {
            const KeyRecord& key = plan.Keys[i];
            if (key.ScanCode >= 0x7F || key.AssignedKey == 0)
                continue;
            const int64_t at = static_cast<int64_t>(table) + 2 * static_cast<int64_t>(key.ScanCode);
            if (at + 2 > length)
                return LayoutPatchResult::OutsideImage;
            Store16(image + at, key.AssignedKey);
        }
        result = PatchPrefixedTable(image, length, plan, plan.E0Table, 0xE000);
        if (result != LayoutPatchResult::Done)
            return result;
        result = PatchPrefixedTable(image, length, plan, plan.E1Table, 0xE100);
        if (result != LayoutPatchResult::Done)
            return result;
    }
    if (plan.PatchDecimalKey)
    {
        int site = 0;
        LayoutPatchResult result = Locate(image, length, plan.DecimalSite, &site);
        if (result != LayoutPatchResult::Done)
            return result;
        if (static_cast<int64_t>(site) + 3 > length)
            return LayoutPatchResult::OutsideImage;
        image[site] = 0x2C;
        image[site + 2] = 0x2C;
    }
    return LayoutPatchResult::Done;
}
