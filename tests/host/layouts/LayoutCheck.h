// Reads layout libraries the way Windows does, for the tests: the PE structure of a file, and the
// keyboard tables reached from KbdLayerDescriptor in a mapped image (a file laid out as the loader
// maps it, or the memory of a loaded module).
#pragma once

#include "Klc.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace layouts
{

struct PeSection
{
    std::string name;
    uint32_t va = 0, virtualSize = 0, rawPointer = 0, rawSize = 0, characteristics = 0;
};

struct PeView
{
    uint16_t machine = 0, characteristics = 0, sectionCount = 0;
    bool pe32plus = false;
    uint64_t imageBase = 0;
    uint32_t entryPoint = 0, sizeOfImage = 0, sizeOfHeaders = 0, checksum = 0, fileAlignment = 0;
    size_t checksumOffset = 0;
    uint16_t osMajor = 0, osMinor = 0, subsystemMajor = 0, subsystemMinor = 0, subsystem = 0;
    std::array<std::pair<uint32_t, uint32_t>, 16> dirs{}; // RVA, size
    std::vector<PeSection> sections;
};

int ParsePe(const std::vector<uint8_t>& file, PeView& out, std::string& error);
// The file laid out at its RVAs, unrelocated: pointers hold ImageBase + RVA.
std::vector<uint8_t> MapImage(const std::vector<uint8_t>& file, const PeView& pe);
// Base relocations: RVA of the relocated field -> relocation type.
int ReadRelocations(const std::vector<uint8_t>& mem, const PeView& pe, std::map<uint32_t, int>& out,
                    std::string& error);
int FindExport(const std::vector<uint8_t>& mem, const PeView& pe, const std::string& name, uint32_t& rva,
               std::string& error);
int FindResource(const std::vector<uint8_t>& mem, const PeView& pe, uint16_t type, uint16_t id, uint16_t lang,
                 std::vector<uint8_t>& data);
std::u16string StringFromBlock(const std::vector<uint8_t>& block, int index);

struct CharEntry
{
    uint8_t vk = 0, attributes = 0;
    std::vector<char16_t> wch;
    uint32_t rva = 0;
};
struct CharTable
{
    int width = 0, entrySize = 0;
    uint32_t rva = 0;
    std::vector<CharEntry> entries;
};
struct DeadKey
{
    uint32_t both;
    char16_t composed;
    uint16_t flags;
};

// Everything the tables hold, with where the pointers were.
struct Walked
{
    std::vector<uint16_t> scanCodes;
    std::vector<std::pair<uint8_t, uint16_t>> e0, e1;
    std::vector<CharTable> charTables;
    std::vector<DeadKey> deadKeys;
    std::vector<std::pair<uint8_t, std::u16string>> keyNames, keyNamesExt;
    std::vector<std::u16string> deadKeyNames;
    std::vector<std::pair<uint8_t, uint8_t>> vkToBit;
    uint16_t maxModBits = 0;
    std::vector<uint8_t> modNumbers;
    uint32_t localeFlags = 0, type = 0, subType = 0;
    uint32_t scanCodesRva = 0, e0Rva = 0, e1Rva = 0, decimalSiteRva = 0;
    std::vector<uint32_t> pointerSlots; // RVAs of the non-null pointers read
};

// A mapped image: bytes from RVA 0, the address it was mapped at, and the .data section's RVAs.
struct Memory
{
    const std::vector<uint8_t>* bytes;
    uint64_t base;
    uint32_t dataBegin, dataEnd;
};

// pointerWidth 4: the 60-byte KBDTABLES of 32-bit Windows; 8: the 104-byte one of 64-bit Windows.
int WalkTables(const Memory& m, uint32_t tablesRva, int pointerWidth, Walked& out, std::string& error);

// Compares the tables with the source they were made from.
int CompareWithSource(const Walked& w, const klc::KlcLayout& source, std::string& error);

// "<id> <HEX>" lines of the patterns file; lines starting with # are comments.
int ReadPatterns(const std::string& path, std::map<int, std::vector<uint8_t>>& out, std::string& error);
size_t CountOccurrences(const std::vector<uint8_t>& image, const std::vector<uint8_t>& pattern,
                        size_t& first);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
// A path of the build machine as the program sees it: under Wine, Unix paths live on drive Z:.
std::string HostPath(const std::string& path);

// The tables' RVAs named by the export's code: the native layout, then the 64-bit one of the
// x86 builds that carry both. codeSlots receives the RVAs of the addresses held in the code or
// the IA64 function descriptor, which need base relocations too.
int TablesFromExport(const std::vector<uint8_t>& mem, const PeView& pe, uint32_t exportRva,
                     std::vector<uint32_t>& tables, std::vector<uint32_t>& codeSlots, std::string& error);
uint32_t FileOffset(const PeView& pe, uint32_t rva);

// Windows versions and processors by BuildIndex.
struct BuildInfo
{
    uint16_t machine, osMajor, osMinor;
};
extern const BuildInfo kBuildInfo[13];
constexpr uint16_t kI386 = 0x014C, kAmd64 = 0x8664, kIa64 = 0x0200;

std::string LibraryName(int set, int variant, int index); // kbd-s0-v0-b00.dll
const char* SourceName(int set, int variant);             // ogonek-programmer.klc, ...

} // namespace layouts
