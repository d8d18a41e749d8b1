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

namespace
{

constexpr int kMaxEntries = 4096;

class Reader
{
  public:
    Reader(const Memory& m, Walked& w, std::string& error) : m_(m), w_(w), error_(error) {}

    // Keeps the first, most specific message.
    int Fail(const char* what)
    {
        if (error_.empty())
            error_ = what;
        return 0;
    }
    // Everything the system reads must lie inside .data.
    int Inside(uint32_t rva, uint32_t size)
    {
        if (rva < m_.dataBegin || static_cast<uint64_t>(rva) + size > m_.dataEnd)
        {
            char buf[64];
            std::snprintf(buf, sizeof buf, "read outside .data at %08X", rva);
            error_ = buf;
            return 0;
        }
        return 1;
    }
    int U(uint32_t rva, int n, uint32_t& v)
    {
        if (!Inside(rva, static_cast<uint32_t>(n)))
            return 0;
        v = Get(*m_.bytes, rva, n);
        return 1;
    }
    // A pointer slot: 0 is null; anything else must point into .data.
    int Ptr(uint32_t slot, int width, uint32_t& target, bool& isNull)
    {
        if (!Inside(slot, static_cast<uint32_t>(width)))
            return 0;
        uint64_t v = width == 8 ? Get64(*m_.bytes, slot) : Get(*m_.bytes, slot, 4);
        isNull = v == 0;
        if (isNull)
            return 1;
        if (v < m_.base || v - m_.base >= m_.dataEnd || v - m_.base < m_.dataBegin)
        {
            char buf[80];
            std::snprintf(buf, sizeof buf, "pointer at %08X leaves .data", slot);
            error_ = buf;
            return 0;
        }
        target = static_cast<uint32_t>(v - m_.base);
        w_.pointerSlots.push_back(slot);
        return 1;
    }
    int NonNull(uint32_t slot, int width, uint32_t& target, const char* what)
    {
        bool isNull;
        if (!Ptr(slot, width, target, isNull))
            return 0;
        if (isNull)
            return error_ = std::string("null ") + what, 0;
        return 1;
    }
    int Text(uint32_t rva, std::u16string& s)
    {
        s.clear();
        for (int i = 0; i < kMaxEntries; ++i)
        {
            uint32_t c;
            if (!U(rva + 2 * static_cast<uint32_t>(i), 2, c))
                return 0;
            if (!c)
                return 1;
            s += static_cast<char16_t>(c);
        }
        return error_ = "unterminated text", 0;
    }
    int VscVk(uint32_t rva, std::vector<std::pair<uint8_t, uint16_t>>& out)
    {
        for (int i = 0; i < kMaxEntries; ++i, rva += 4)
        {
            uint32_t sc, vk;
            if (!U(rva, 1, sc) || !U(rva + 2, 2, vk))
                return 0;
            if (!sc)
                return 1;
            out.emplace_back(static_cast<uint8_t>(sc), static_cast<uint16_t>(vk));
        }
        return error_ = "E0/E1 table without its zero entry", 0;
    }
    int Names(uint32_t rva, int w, std::vector<std::pair<uint8_t, std::u16string>>& out)
    {
        for (int i = 0; i < kMaxEntries; ++i, rva += 2 * static_cast<uint32_t>(w))
        {
            uint32_t sc, text;
            bool isNull;
            if (!U(rva, 1, sc) || !Ptr(rva + static_cast<uint32_t>(w), w, text, isNull))
                return 0;
            if (isNull)
                return sc == 0 ? 1 : (error_ = "key name without text", 0);
            std::u16string s;
            if (!Text(text, s))
                return 0;
            out.emplace_back(static_cast<uint8_t>(sc), s);
        }
        return error_ = "key-name table without its end", 0;
    }

  private:
    const Memory& m_;
    Walked& w_;
    std::string& error_;
};

} // namespace

int WalkTables(const Memory& m, uint32_t t, int w, Walked& out, std::string& error)
{
    out = Walked{};
    Reader r(m, out, error);
    const uint32_t pw = static_cast<uint32_t>(w);
    // Field offsets of KBDTABLES, for 4- and 8-byte pointers.
    const uint32_t maxVscAt = 7 * pw, e0At = 8 * pw, e1At = 9 * pw, flagsAt = 10 * pw;
    const uint32_t ligatureAt = w == 8 ? 88 : 48, typeAt = ligatureAt + pw, size = typeAt + 8;
    if (size != (w == 8 ? 104u : 60u))
        return error = "bad pointer width", 0;
    if (!r.Inside(t, size))
        return 0;

    uint32_t mods, vkToWchar, dead, names, namesExt, deadNames, scan, e0, e1, ligature, maxVsc;
    bool deadNull, namesNull, extNull, deadNamesNull, ligNull;
    if (!r.NonNull(t, w, mods, "modifiers") || !r.NonNull(t + pw, w, vkToWchar, "character tables") ||
        !r.Ptr(t + 2 * pw, w, dead, deadNull) || !r.Ptr(t + 3 * pw, w, names, namesNull) ||
        !r.Ptr(t + 4 * pw, w, namesExt, extNull) || !r.Ptr(t + 5 * pw, w, deadNames, deadNamesNull) ||
        !r.NonNull(t + 6 * pw, w, scan, "scan-code table") || !r.U(t + maxVscAt, 1, maxVsc) ||
        !r.NonNull(t + e0At, w, e0, "E0 table") || !r.NonNull(t + e1At, w, e1, "E1 table") ||
        !r.U(t + flagsAt, 4, out.localeFlags) || !r.Ptr(t + ligatureAt, w, ligature, ligNull) ||
        !r.U(t + typeAt, 4, out.type) || !r.U(t + typeAt + 4, 4, out.subType))
        return 0;
    if (!ligNull)
        return error = "unexpected ligature table", 0;

    uint32_t bits, maxMod;
    if (!r.NonNull(mods, w, bits, "modifier bits") || !r.U(mods + pw, 2, maxMod))
        return 0;
    out.maxModBits = static_cast<uint16_t>(maxMod);
    for (uint32_t i = 0; i <= maxMod; ++i)
    {
        uint32_t n;
        if (!r.U(mods + pw + 2 + i, 1, n))
            return 0;
        out.modNumbers.push_back(static_cast<uint8_t>(n));
    }
    for (int i = 0;; ++i, bits += 2)
    {
        uint32_t vk, bit;
        if (i == kMaxEntries || !r.U(bits, 1, vk) || !r.U(bits + 1, 1, bit))
            return r.Fail("modifier list");
        if (!vk)
            break;
        out.vkToBit.emplace_back(static_cast<uint8_t>(vk), static_cast<uint8_t>(bit));
    }

    for (int i = 0;; ++i, vkToWchar += 2 * pw)
    {
        uint32_t table, nMod, cb;
        bool isNull;
        if (i == kMaxEntries || !r.Ptr(vkToWchar, w, table, isNull))
            return r.Fail("table list");
        if (isNull)
            break;
        if (!r.U(vkToWchar + pw, 1, nMod) || !r.U(vkToWchar + pw + 1, 1, cb))
            return 0;
        if (cb != 2 + 2 * nMod)
            return error = "character table entry size does not fit its width", 0;
        CharTable ct{static_cast<int>(nMod), static_cast<int>(cb), table, {}};
        for (int k = 0;; ++k, table += cb)
        {
            uint32_t vk, attr;
            if (k == kMaxEntries || !r.U(table, 1, vk) || !r.U(table + 1, 1, attr))
                return r.Fail("character table without its end");
            if (!vk)
            {
                if (!r.Inside(table, cb))
                    return 0; // the terminating entry is read too
                break;
            }
            CharEntry e{static_cast<uint8_t>(vk), static_cast<uint8_t>(attr), {}, table};
            for (uint32_t c = 0; c < nMod; ++c)
            {
                uint32_t ch;
                if (!r.U(table + 2 + 2 * c, 2, ch))
                    return 0;
                e.wch.push_back(static_cast<char16_t>(ch));
            }
            if (e.vk == 0x6E && !out.decimalSiteRva)
                out.decimalSiteRva = table + 2;
            ct.entries.push_back(std::move(e));
        }
        out.charTables.push_back(std::move(ct));
    }

    if (!deadNull)
    {
        for (int i = 0;; ++i, dead += 8)
        {
            uint32_t both, comp, flags;
            if (i == kMaxEntries || !r.U(dead, 4, both) || !r.U(dead + 4, 2, comp) ||
                !r.U(dead + 6, 2, flags))
                return r.Fail("dead-key table without its end");
            if (!both)
                break;
            out.deadKeys.push_back({both, static_cast<char16_t>(comp), static_cast<uint16_t>(flags)});
        }
    }
    if (!namesNull && !r.Names(names, w, out.keyNames))
        return 0;
    if (!extNull && !r.Names(namesExt, w, out.keyNamesExt))
        return 0;
    if (!deadNamesNull)
    {
        for (int i = 0;; ++i, deadNames += pw)
        {
            uint32_t text;
            bool isNull;
            if (i == kMaxEntries || !r.Ptr(deadNames, w, text, isNull))
                return r.Fail("dead names");
            if (isNull)
                break;
            std::u16string s;
            if (!r.Text(text, s))
                return 0;
            out.deadKeyNames.push_back(s);
        }
    }
    out.scanCodesRva = scan;
    for (uint32_t i = 0; i < maxVsc; ++i)
    {
        uint32_t vk;
        if (!r.U(scan + 2 * i, 2, vk))
            return 0;
        out.scanCodes.push_back(static_cast<uint16_t>(vk));
    }
    out.e0Rva = e0;
    out.e1Rva = e1;
    return r.VscVk(e0, out.e0) && r.VscVk(e1, out.e1);
}

namespace
{

// The default virtual keys of the keys the sources leave alone (the installer's own key table).
struct Default
{
    uint16_t scanCode, vk;
};
constexpr Default kDefaults[] = {
    {0x01, 0x1B},    {0x0E, 0x08},    {0x0F, 0x09},    {0x1C, 0x0D},    {0x1D, 0xA2},    {0x2A, 0xA0},
    {0x36, 0x1A1},   {0x37, 0x6A},    {0x38, 0xA4},    {0x3A, 0x14},    {0x3B, 0x70},    {0x3C, 0x71},
    {0x3D, 0x72},    {0x3E, 0x73},    {0x3F, 0x74},    {0x40, 0x75},    {0x41, 0x76},    {0x42, 0x77},
    {0x43, 0x78},    {0x44, 0x79},    {0x45, 0x90},    {0x46, 0x91},    {0x47, 0xC24},   {0x48, 0xC26},
    {0x49, 0xC21},   {0x4A, 0x6D},    {0x4B, 0xC25},   {0x4C, 0xC0C},   {0x4D, 0xC27},   {0x4E, 0x6B},
    {0x4F, 0xC23},   {0x50, 0xC28},   {0x51, 0xC22},   {0x52, 0xC2D},   {0x53, 0xC2E},   {0x57, 0x7A},
    {0x58, 0x7B},    {0x59, 0x0C},    {0x63, 0x2F},    {0x64, 0x7C},    {0x65, 0x7D},    {0x66, 0x7E},
    {0x67, 0x7F},    {0x68, 0x80},    {0x69, 0x81},    {0x6A, 0x82},    {0x6B, 0x83},    {0x6C, 0x84},
    {0x6D, 0x85},    {0x6E, 0x86},    {0x73, 0xC1},    {0x76, 0x87},    {0x7B, 0xEB},    {0x7E, 0xC2},
    {0xE010, 0x1B1}, {0xE019, 0x1B0}, {0xE01C, 0x10D}, {0xE01D, 0x1A3}, {0xE020, 0x1AD}, {0xE021, 0x1B7},
    {0xE022, 0x1B3}, {0xE024, 0x1B2}, {0xE02E, 0x1AE}, {0xE030, 0x1AF}, {0xE032, 0x1AC}, {0xE035, 0x16F},
    {0xE037, 0x2C},  {0xE038, 0x1A5}, {0xE046, 0x103}, {0xE047, 0x124}, {0xE048, 0x126}, {0xE049, 0x121},
    {0xE04B, 0x125}, {0xE04D, 0x127}, {0xE04F, 0x123}, {0xE050, 0x128}, {0xE051, 0x122}, {0xE052, 0x12D},
    {0xE053, 0x12E}, {0xE05B, 0x15B}, {0xE05C, 0x15C}, {0xE05D, 0x15D}, {0xE05E, 0x15E}, {0xE05F, 0x15F},
    {0xE065, 0x1AA}, {0xE066, 0x1AB}, {0xE067, 0x1A8}, {0xE068, 0x1A9}, {0xE069, 0x1A7}, {0xE06A, 0x1A6},
    {0xE06B, 0x1B6}, {0xE06C, 0x1B4}, {0xE06D, 0x1B5},
};

std::string Hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", v);
    return buf;
}

const CharEntry* FindChars(const Walked& w, uint8_t vk, const CharEntry** next, int* width)
{
    for (const CharTable& t : w.charTables)
        for (size_t i = 0; i < t.entries.size(); ++i)
            if (t.entries[i].vk == vk)
            {
                *next = i + 1 < t.entries.size() ? &t.entries[i + 1] : nullptr;
                *width = t.width;
                return &t.entries[i];
            }
    return nullptr;
}

} // namespace

int CompareWithSource(const Walked& w, const klc::KlcLayout& src, std::string& error)
{
    if (w.scanCodes.size() < 0x7F)
        return error = "scan-code table too short", 0;
    for (const Default& d : kDefaults)
    {
        if (d.scanCode < 0x80)
        {
            if (src.FindKey(d.scanCode))
                continue;
            uint16_t got = w.scanCodes[d.scanCode];
            if ((got & 0xFF) != (d.vk & 0xFF) || (got & 0x800) != (d.vk & 0x800))
                return error = "scan code " + Hex(d.scanCode) + " has " + Hex(got), 0;
        }
        else
        {
            const auto& table = (d.scanCode >> 8) == 0xE0 ? w.e0 : w.e1;
            auto it = std::find_if(table.begin(), table.end(),
                                   [&](auto& e) { return e.first == (d.scanCode & 0xFF); });
            if (it == table.end() || (it->second & 0xFF) != (d.vk & 0xFF))
                return error = "prefixed scan code " + Hex(d.scanCode) + " is missing or wrong", 0;
        }
    }
    if (w.e1.size() != 1 || w.e1[0].first != 0x1D || (w.e1[0].second & 0xFF) != 0x13)
        return error = "E1 table", 0;

    for (const klc::KlcKey& k : src.keys)
    {
        const std::string where = "key " + Hex(k.scanCode) + ": ";
        // Rows on the numeric pad name the key Num Lock gives, not the table's entry.
        bool numpad = k.scanCode >= 0x47 && k.scanCode <= 0x53;
        if (k.scanCode < 0x80 && !numpad && (w.scanCodes[k.scanCode] & 0xFF) != k.vk)
            return error = where + "virtual key " + Hex(w.scanCodes[k.scanCode]) + ", source " + Hex(k.vk), 0;
        bool any =
            std::any_of(k.chars.begin(), k.chars.end(), [](const klc::KlcChar& c) { return c.defined; });
        if (!any)
            continue;
        const CharEntry* next = nullptr;
        int width = 0;
        const CharEntry* e = FindChars(w, k.vk, &next, &width);
        if (!e)
            return error = where + "no characters", 0;
        if (e->attributes != k.capFlags)
            return error = where + "Cap attributes differ", 0;
        for (size_t c = 0; c < k.chars.size(); ++c)
        {
            const klc::KlcChar& want = k.chars[c];
            char16_t got = c < static_cast<size_t>(width) ? e->wch[c] : 0xF000;
            if (!want.defined && got != 0xF000)
                return error = where + "column " + std::to_string(c) + " should be empty", 0;
            if (want.defined && !want.dead && got != want.ch)
                return error = where + "column " + std::to_string(c), 0;
            if (want.dead && (got != 0xF001 || !next || next->vk != 0xFF || next->wch[c] != want.ch))
                return error = where + "dead key in column " + std::to_string(c), 0;
        }
    }
    for (int ss = 0; ss < 8; ++ss)
    {
        int col = src.Column(ss);
        uint8_t got =
            ss < static_cast<int>(w.modNumbers.size()) ? w.modNumbers[static_cast<size_t>(ss)] : 0x0F;
        if (got != (col < 0 ? 0x0F : col))
            return error = "modifier combination " + std::to_string(ss), 0;
    }
    const std::vector<std::pair<uint8_t, uint8_t>> bits = {{0x10, 1}, {0x11, 2}, {0x12, 4}};
    if (w.vkToBit != bits)
        return error = "modifier keys", 0;
    if (((w.localeFlags & 1) != 0) != (src.Column(6) >= 0))
        return error = "AltGr flag", 0;
    for (const klc::KlcDeadKey& d : src.deadKeys)
        for (const auto& combo : d.combinations)
        {
            const char16_t base = combo.first, composed = combo.second;
            uint32_t both = base | (static_cast<uint32_t>(d.accent) << 16);
            bool found =
                std::any_of(w.deadKeys.begin(), w.deadKeys.end(),
                            [&](const DeadKey& k) { return k.both == both && k.composed == composed; });
            if (!found)
                return error = "dead key " + Hex(d.accent) + " + " + Hex(base) + " missing", 0;
        }
    auto hasName = [](const std::vector<std::pair<uint8_t, std::u16string>>& list, const klc::KlcKeyName& n)
    {
        return std::any_of(list.begin(), list.end(),
                           [&](auto& e) { return e.first == n.code && e.second == n.name; });
    };
    for (const klc::KlcKeyName& n : src.keyNames)
        if (!hasName(w.keyNames, n))
            return error = "key name " + Hex(n.code), 0;
    for (const klc::KlcKeyName& n : src.keyNamesExt)
        if (!hasName(w.keyNamesExt, n))
            return error = "extended key name " + Hex(n.code), 0;
    for (const klc::KlcKeyName& n : src.keyNamesDead)
    {
        std::u16string want = std::u16string(1, static_cast<char16_t>(n.code)) + n.name;
        if (std::find(w.deadKeyNames.begin(), w.deadKeyNames.end(), want) == w.deadKeyNames.end())
            return error = "dead-key name " + Hex(n.code), 0;
    }
    if (!w.decimalSiteRva)
        return error = "no decimal key", 0;
    return 1;
}

int ReadPatterns(const std::string& path, std::map<int, std::vector<uint8_t>>& out, std::string& error)
{
    std::ifstream f(path);
    if (!f)
        return error = "cannot open " + path, 0;
    std::string line;
    while (std::getline(f, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t space = line.find(' ');
        if (space == std::string::npos)
            return error = "line without a space: " + line, 0;
        int id = std::stoi(line.substr(0, space));
        std::string hex = line.substr(space + 1);
        if (hex.empty() || hex.size() % 2)
            return error = "odd pattern " + std::to_string(id), 0;
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < hex.size(); i += 2)
        {
            auto digit = [](char c) {
                return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            };
            int hi = digit(hex[i]), lo = digit(hex[i + 1]);
            if (hi < 0 || lo < 0)
                return error = "pattern " + std::to_string(id) + " is not upper-case hexadecimal", 0;
            bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        if (!out.emplace(id, bytes).second)
            return error = "pattern " + std::to_string(id) + " twice", 0;
    }
    return 1;
}

size_t CountOccurrences(const std::vector<uint8_t>& image, const std::vector<uint8_t>& pattern, size_t& first)
{
    size_t count = 0;
    first = image.size();
    if (pattern.empty())
        return 0;
    for (auto it = image.begin();
         (it = std::search(it, image.end(), pattern.begin(), pattern.end())) != image.end(); ++it)
        if (count++ == 0)
            first = static_cast<size_t>(it - image.begin());
    return count;
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
