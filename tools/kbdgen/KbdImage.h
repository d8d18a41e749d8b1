// Writes one build of a layout library as a PE image: a single section named .data holding the
// tables, the export, the resources and the base relocations, with no imports and no entry point.
#pragma once

#include "Builds.h"
#include "Klc.h"
#include "LayoutModel.h"
#include "Section.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kbd
{

struct ImageOptions
{
    std::string libraryName;    // file name the library is installed as, e.g. "kbdogon.dll"
    std::u16string productName; // version resource
};

// File offsets of what the installer patches, for the pattern check.
struct ImageSites
{
    size_t scanCodes = 0, e0 = 0, e1 = 0, decimal = 0;
    std::vector<size_t> tables; // KBDTABLES: the native layout, then the 64-bit one when both are carried
};

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint64_t kImageBase = 0x5FFF0000;

int BuildLayoutImage(const klc::KlcLayout& layout, const LayoutModel& model, const BuildTarget& target,
                     const ImageOptions& options, std::vector<uint8_t>& image, ImageSites& sites,
                     std::string& error);

// The export's code, by processor (exposed for the tests that run or decode it).
std::vector<uint8_t> X86SingleCode();
std::vector<uint8_t> X86ChoosingCode();
std::vector<uint8_t> Ia64ReturnGpBundle();

struct ResourceItem
{
    uint16_t type, id, lang;
    std::vector<uint8_t> data;
};
// Lays out a resource tree at the section's current end and returns its offset.
size_t EmitResources(Section& section, std::vector<ResourceItem> items);
std::vector<uint8_t> StringBlock(int indexInBlock, const std::u16string& text);
std::vector<uint8_t> VersionResource(const klc::KlcLayout& layout, const ImageOptions& options);

uint32_t PeChecksum(const std::vector<uint8_t>& image, size_t checksumOffset);

} // namespace kbd
