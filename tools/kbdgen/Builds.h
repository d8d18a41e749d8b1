// The thirteen builds of each layout: Windows version and processor, by BuildIndex.
#pragma once

#include <cstdint>

namespace kbd
{

enum class Machine
{
    X86,
    Amd64,
    Ia64
};

struct BuildTarget
{
    int index;
    Machine machine;
    uint16_t osMajor, osMinor;
    // The x86 build of 5.2 and later is also the copy that 32-bit programs load on 64-bit Windows,
    // where the system reads the tables with 64-bit pointers.
    bool bothPointerLayouts;
};

constexpr int kBuildCount = 13;
constexpr BuildTarget kBuilds[kBuildCount] = {
    {0, Machine::X86, 5, 0, false},    {1, Machine::X86, 5, 1, false},    {2, Machine::X86, 5, 2, true},
    {3, Machine::Ia64, 5, 2, false},   {4, Machine::Amd64, 5, 2, false},  {5, Machine::X86, 6, 0, true},
    {6, Machine::Ia64, 6, 0, false},   {7, Machine::Amd64, 6, 0, false},  {8, Machine::X86, 6, 1, true},
    {9, Machine::Ia64, 6, 1, false},   {10, Machine::Amd64, 6, 1, false}, {11, Machine::X86, 6, 2, true},
    {12, Machine::Amd64, 6, 2, false},
};

} // namespace kbd
