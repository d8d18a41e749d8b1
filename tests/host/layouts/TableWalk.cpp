// Walks the keyboard tables of a mapped image and compares them with their source.
#include "LayoutCheck.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace layouts
{

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

} // namespace layouts
