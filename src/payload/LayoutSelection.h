#pragma once

#include <cstdint>

// The carried layout library builds: two build sets, three layout variants, thirteen builds each,
// one per Windows version group and processor.
constexpr int kBuildSetCount = 2;
constexpr int kLayoutVariantCount = 3;
constexpr int kBuildIndexCount = 13;

// Processor architecture codes as Windows reports them.
constexpr uint16_t kProcessorX86 = 0;
constexpr uint16_t kProcessorIa64 = 6;
constexpr uint16_t kProcessorAmd64 = 9;

// For each build set, per layout variant, the thirteen item references and their carried lengths,
// indexed by build index.
struct LayoutCatalogue
{
    const unsigned char* const* Items[kBuildSetCount][kLayoutVariantCount];
    const int32_t* Lengths[kBuildSetCount][kLayoutVariantCount];
};

struct LayoutSelection
{
    const unsigned char* PrimaryItem;
    const unsigned char* SecondaryItem;
    int32_t PrimaryLength;
    int32_t SecondaryLength;
};

// Build indices for a Windows version (major x 10 + minor) and native processor: the primary
// (always the x86 build) and, on 64-bit Windows, the native secondary build, else -1.
// Returns 0 for a processor that has no build on that version.
int PickBuildIndices(int32_t osCode, uint16_t processor, int* primary, int* secondary);

// Picks the build or the pair of builds to install. The second build set is used when a previous
// installation chose it or the user chose it now. On failure the selection holds no items and
// lengths of -1.
int SelectLayoutBuilds(const LayoutCatalogue& catalogue, int32_t osCode, uint16_t processor, int32_t variant,
                       int32_t secondSetStored, int32_t secondSetOption, LayoutSelection* selection);
