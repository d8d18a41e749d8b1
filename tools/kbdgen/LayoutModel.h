// The pointer-free content of a layout library, computed from one source. Every build of a
// source carries exactly these bytes; only the structures holding pointers differ per processor.
#pragma once

#include "Klc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kbd
{

// Flag bits of the virtual keys in the scan-code tables.
constexpr uint16_t kExtended = 0x100;
constexpr uint16_t kMultiVk = 0x200;
constexpr uint16_t kSpecial = 0x400;
constexpr uint16_t kNumpad = 0x800;

constexpr char16_t kWchNone = 0xF000;
constexpr char16_t kWchDead = 0xF001;
constexpr uint8_t kVkDecimal = 0x6E;
constexpr int kScanCodeCount = 0x80;

struct VscVk
{
    uint8_t scanCode;
    uint16_t vk;
};

struct CharEntry
{
    uint8_t vk = 0;
    uint8_t attributes = 0;
    std::vector<char16_t> wch; // as many as the table's width
};

struct CharTable
{
    int width = 0;
    std::vector<CharEntry> entries; // without the terminating entry
};

struct DeadKeyEntry
{
    uint32_t both; // base character in the low word, accent in the high word
    char16_t composed;
    uint16_t flags;
};

struct LayoutModel
{
    std::array<uint16_t, kScanCodeCount> scanCodes{};
    std::vector<VscVk> e0, e1;         // without the terminating entry
    std::vector<CharTable> charTables; // in the order the system searches them
    int decimalTable = -1;             // index of the table whose last entry is the decimal key
    int numpadTable = -1;
    std::vector<DeadKeyEntry> deadKeys;
    std::vector<std::pair<uint8_t, std::u16string>> keyNames, keyNamesExt;
    std::vector<std::u16string> deadKeyNames; // accent character followed by the name
    std::array<uint8_t, 8> modNumbers{};      // column per modifier combination, 0x0F when unused
    uint32_t localeFlags = 0;
};

// The virtual keys of the standard PC keyboard, which a source changes only for the keys it lists.
const std::array<uint16_t, kScanCodeCount>& DefaultScanCodes();
const std::vector<VscVk>& DefaultE0();
const std::vector<VscVk>& DefaultE1();

int BuildLayoutModel(const klc::KlcLayout& layout, LayoutModel& out, std::string& error);

} // namespace kbd
