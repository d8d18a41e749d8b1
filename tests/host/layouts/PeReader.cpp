// The PE structure of a layout library, as the loader sees it.
#include "LayoutCheck.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace layouts
{

const BuildInfo kBuildInfo[13] = {
    {kI386, 5, 0},  {kI386, 5, 1}, {kI386, 5, 2},  {kIa64, 5, 2}, {kAmd64, 5, 2},
    {kI386, 6, 0},  {kIa64, 6, 0}, {kAmd64, 6, 0}, {kI386, 6, 1}, {kIa64, 6, 1},
    {kAmd64, 6, 1}, {kI386, 6, 2}, {kAmd64, 6, 2},
};

std::string LibraryName(int set, int variant, int index)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "kbd-s%d-v%d-b%02d.dll", set, variant, index);
    return buf;
}

const char* SourceName(int set, int variant)
{
    static const char* names[2][3] = {
        {"ogonek-programmer.klc", "ogonek-typist.klc", "ogonek-dvorak.klc"},
        {"ogonek-programmer-ext.klc", "ogonek-typist-ext.klc", "ogonek-dvorak-ext.klc"}};
    return names[set][variant];
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string HostPath(const std::string& path)
{
#ifdef _WIN32
    if (!path.empty() && path[0] == '/')
    {
        std::string p = "Z:" + path;
        std::replace(p.begin(), p.end(), '/', '\\');
        return p;
    }
#endif
    return path;
}

namespace
{

uint32_t Get(const std::vector<uint8_t>& b, size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b[at + static_cast<size_t>(i)];
    return v;
}
uint64_t Get64(const std::vector<uint8_t>& b, size_t at)
{
    return Get(b, at, 4) | (static_cast<uint64_t>(Get(b, at + 4, 4)) << 32);
}

} // namespace

int ParsePe(const std::vector<uint8_t>& f, PeView& pe, std::string& error)
{
    pe = PeView{};
    if (f.size() < 0x40 || f[0] != 'M' || f[1] != 'Z')
        return error = "no MZ header", 0;
    size_t nt = Get(f, 0x3C, 4);
    if (nt + 24 > f.size() || Get(f, nt, 4) != 0x4550)
        return error = "no PE signature", 0;
    size_t fh = nt + 4;
    pe.machine = static_cast<uint16_t>(Get(f, fh, 2));
    pe.sectionCount = static_cast<uint16_t>(Get(f, fh + 2, 2));
    uint16_t optSize = static_cast<uint16_t>(Get(f, fh + 16, 2));
    pe.characteristics = static_cast<uint16_t>(Get(f, fh + 18, 2));
    size_t oh = fh + 20;
    if (oh + optSize > f.size())
        return error = "optional header past the end", 0;
    uint16_t magic = static_cast<uint16_t>(Get(f, oh, 2));
    if (magic != 0x10B && magic != 0x20B)
        return error = "unknown optional header", 0;
    pe.pe32plus = magic == 0x20B;
    if (optSize != (pe.pe32plus ? 240 : 224))
        return error = "unexpected optional header size", 0;
    pe.entryPoint = Get(f, oh + 16, 4);
    pe.imageBase = pe.pe32plus ? Get64(f, oh + 24) : Get(f, oh + 28, 4);
    pe.fileAlignment = Get(f, oh + 36, 4);
    pe.osMajor = static_cast<uint16_t>(Get(f, oh + 40, 2));
    pe.osMinor = static_cast<uint16_t>(Get(f, oh + 42, 2));
    pe.subsystemMajor = static_cast<uint16_t>(Get(f, oh + 48, 2));
    pe.subsystemMinor = static_cast<uint16_t>(Get(f, oh + 50, 2));
    pe.sizeOfImage = Get(f, oh + 56, 4);
    pe.sizeOfHeaders = Get(f, oh + 60, 4);
    pe.checksumOffset = oh + 64;
    pe.checksum = Get(f, oh + 64, 4);
    pe.subsystem = static_cast<uint16_t>(Get(f, oh + 68, 2));
    size_t dirs = oh + (pe.pe32plus ? 112 : 96);
    uint32_t count = Get(f, dirs - 4, 4);
    if (count > 16)
        return error = "too many data directories", 0;
    for (uint32_t i = 0; i < count; ++i)
        pe.dirs[i] = {Get(f, dirs + 8 * i, 4), Get(f, dirs + 8 * i + 4, 4)};
    size_t sh = oh + optSize;
    for (uint16_t i = 0; i < pe.sectionCount; ++i, sh += 40)
    {
        if (sh + 40 > f.size())
            return error = "section table past the end", 0;
        PeSection s;
        for (size_t k = 0; k < 8 && f[sh + k]; ++k)
            s.name += static_cast<char>(f[sh + k]);
        s.virtualSize = Get(f, sh + 8, 4);
        s.va = Get(f, sh + 12, 4);
        s.rawSize = Get(f, sh + 16, 4);
        s.rawPointer = Get(f, sh + 20, 4);
        s.characteristics = Get(f, sh + 36, 4);
        if (static_cast<size_t>(s.rawPointer) + s.rawSize > f.size())
            return error = "section data past the end", 0;
        if (static_cast<uint64_t>(s.va) + std::max(s.virtualSize, s.rawSize) > pe.sizeOfImage)
            return error = "section past the image size", 0;
        pe.sections.push_back(s);
    }
    return 1;
}

std::vector<uint8_t> MapImage(const std::vector<uint8_t>& file, const PeView& pe)
{
    std::vector<uint8_t> mem(pe.sizeOfImage, 0);
    std::copy(file.begin(), file.begin() + std::min<size_t>(pe.sizeOfHeaders, file.size()), mem.begin());
    for (const PeSection& s : pe.sections)
    {
        size_t n = std::min(s.rawSize, s.virtualSize);
        std::copy(file.begin() + s.rawPointer, file.begin() + s.rawPointer + n, mem.begin() + s.va);
    }
    return mem;
}

int ReadRelocations(const std::vector<uint8_t>& mem, const PeView& pe, std::map<uint32_t, int>& out,
                    std::string& error)
{
    out.clear();
    uint32_t at = pe.dirs[5].first, end = pe.dirs[5].first + pe.dirs[5].second;
    if (end > mem.size())
        return error = "relocations past the image", 0;
    while (at + 8 <= end)
    {
        uint32_t page = Get(mem, at, 4), size = Get(mem, at + 4, 4);
        if (size < 8 || size % 2 || at + size > end)
            return error = "bad relocation block", 0;
        for (uint32_t e = at + 8; e < at + size; e += 2)
        {
            uint32_t v = Get(mem, e, 2);
            if ((v >> 12) == 0)
                continue; // padding
            if (!out.emplace(page + (v & 0xFFF), static_cast<int>(v >> 12)).second)
                return error = "duplicate relocation", 0;
        }
        at += size;
    }
    if (at != end)
        return error = "relocation directory has a partial block", 0;
    return 1;
}

int FindExport(const std::vector<uint8_t>& mem, const PeView& pe, const std::string& name, uint32_t& rva,
               std::string& error)
{
    uint32_t dir = pe.dirs[0].first;
    if (!dir || dir + 40 > mem.size())
        return error = "no export directory", 0;
    uint32_t base = Get(mem, dir + 16, 4), functions = Get(mem, dir + 20, 4), names = Get(mem, dir + 24, 4);
    uint32_t fnTable = Get(mem, dir + 28, 4), nameTable = Get(mem, dir + 32, 4),
             ordTable = Get(mem, dir + 36, 4);
    (void)base;
    for (uint32_t i = 0; i < names; ++i)
    {
        uint32_t n = Get(mem, nameTable + 4 * i, 4);
        std::string s;
        while (n < mem.size() && mem[n])
            s += static_cast<char>(mem[n++]);
        if (s != name)
            continue;
        uint32_t ord = Get(mem, ordTable + 2 * i, 2);
        if (ord >= functions)
            return error = "export ordinal out of range", 0;
        rva = Get(mem, fnTable + 4 * ord, 4);
        return 1;
    }
    return error = "export " + name + " not found", 0;
}

int FindResource(const std::vector<uint8_t>& mem, const PeView& pe, uint16_t type, uint16_t id, uint16_t lang,
                 std::vector<uint8_t>& data)
{
    const uint32_t root = pe.dirs[2].first;
    if (!root)
        return 0;
    auto find = [&](uint32_t dir, uint16_t key, uint32_t& next)
    {
        uint32_t named = Get(mem, dir + 12, 2), ids = Get(mem, dir + 14, 2);
        for (uint32_t i = named; i < named + ids; ++i)
        {
            uint32_t e = dir + 16 + 8 * i;
            if (Get(mem, e, 4) == key)
            {
                next = Get(mem, e + 4, 4);
                return 1;
            }
        }
        return 0;
    };
    uint32_t a, b, c;
    if (!find(root, type, a) || !(a & 0x80000000u))
        return 0;
    if (!find(root + (a & 0x7FFFFFFF), id, b) || !(b & 0x80000000u))
        return 0;
    if (!find(root + (b & 0x7FFFFFFF), lang, c) || (c & 0x80000000u))
        return 0;
    uint32_t entry = root + c;
    uint32_t rva = Get(mem, entry, 4), size = Get(mem, entry + 4, 4);
    if (static_cast<uint64_t>(rva) + size > mem.size())
        return 0;
    data.assign(mem.begin() + rva, mem.begin() + rva + size);
    return 1;
}

std::u16string StringFromBlock(const std::vector<uint8_t>& block, int index)
{
    size_t at = 0;
    for (int i = 0; i < 16 && at + 2 <= block.size(); ++i)
    {
        uint32_t n = Get(block, at, 2);
        if (i == index)
        {
            std::u16string s;
            for (uint32_t k = 0; k < n && at + 4 + 2 * k <= block.size(); ++k)
                s += static_cast<char16_t>(Get(block, at + 2 + 2 * k, 2));
            return s;
        }
        at += 2 + 2 * n;
    }
    return {};
}

uint32_t FileOffset(const PeView& pe, uint32_t rva)
{
    for (const PeSection& s : pe.sections)
        if (rva >= s.va && rva < s.va + s.rawSize)
            return rva - s.va + s.rawPointer;
    return 0;
}

int TablesFromExport(const std::vector<uint8_t>& mem, const PeView& pe, uint32_t at,
                     std::vector<uint32_t>& tables, std::vector<uint32_t>& codeSlots, std::string& error)
{
    tables.clear();
    codeSlots.clear();
    auto bytesAt = [&](uint32_t rva, size_t n)
    {
        return rva + n <= mem.size() ? std::vector<uint8_t>(mem.begin() + rva, mem.begin() + rva + n)
                                     : std::vector<uint8_t>{};
    };
    // The expected code, with its address operands zeroed (checked against a disassembler).
    static const std::vector<uint8_t> single = {0xB8, 0, 0, 0, 0, 0xC3};
    static const std::vector<uint8_t> choosing = {
        0xB8, 0,    0,    0,    0,    0x0F, 0xB7, 0x0D, 0x2E, 0x00, 0xFE, 0x7F, 0xE3, 0x0E, 0x81, 0xF9, 0x4C,
        0x01, 0x00, 0x00, 0x74, 0x1C, 0xB8, 0,    0,    0,    0,    0xC3, 0x0F, 0xB7, 0x0D, 0x6A, 0x02, 0xFE,
        0x7F, 0x83, 0xF9, 0x09, 0x74, 0xEE, 0x83, 0xF9, 0x06, 0x74, 0xE9, 0x83, 0xF9, 0x0C, 0x74, 0xE4, 0xC3};
    // { .mib nop.m 0 ; mov r8 = r1 ; br.ret.sptk.many b0 ;; } as the IA64 assembler encodes it.
    static const std::vector<uint8_t> ia64 = {0x11, 0x00, 0x00, 0x00, 0x01, 0x00, 0x80, 0x00,
                                              0x04, 0x00, 0x42, 0x80, 0x08, 0x00, 0x84, 0x00};
    auto masked = [&](std::vector<uint8_t> code, std::initializer_list<uint32_t> operands)
    {
        for (uint32_t o : operands)
            if (o + 4 <= code.size())
                std::fill(code.begin() + o, code.begin() + o + 4, 0);
        return code;
    };
    auto imm = [&](uint32_t rva) { return static_cast<uint32_t>(Get(mem, rva, 4) - pe.imageBase); };
    if (pe.machine == kI386)
    {
        if (masked(bytesAt(at, choosing.size()), {1, 0x17}) == choosing)
        {
            tables = {imm(at + 1), imm(at + 0x17)};
            codeSlots = {at + 1, at + 0x17};
            return 1;
        }
        if (masked(bytesAt(at, single.size()), {1}) == single)
        {
            tables = {imm(at + 1)};
            codeSlots = {at + 1};
            return 1;
        }
        return error = "unexpected x86 code", 0;
    }
    if (pe.machine == kAmd64)
    {
        std::vector<uint8_t> c = bytesAt(at, 8);
        if (c.size() != 8 || c[0] != 0x48 || c[1] != 0x8D || c[2] != 0x05 || c[7] != 0xC3)
            return error = "unexpected AMD64 code", 0;
        tables = {static_cast<uint32_t>(at + 7 + static_cast<int32_t>(Get(mem, at + 3, 4)))};
        return 1;
    }
    if (pe.machine == kIa64)
    {
        if (at + 16 > mem.size())
            return error = "descriptor past the image", 0;
        uint32_t entry = static_cast<uint32_t>(Get64(mem, at) - pe.imageBase);
        uint32_t gp = static_cast<uint32_t>(Get64(mem, at + 8) - pe.imageBase);
        if (entry % 16 || bytesAt(entry, 16) != ia64)
            return error = "unexpected IA64 code", 0;
        tables = {gp};
        codeSlots = {at, at + 8};
        return 1;
    }
    return error = "unknown machine", 0;
}

} // namespace layouts
