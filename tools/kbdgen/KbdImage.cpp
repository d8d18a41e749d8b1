#include "KbdImage.h"

#include <algorithm>

namespace kbd
{

namespace
{

constexpr uint16_t kMachineI386 = 0x014C, kMachineAmd64 = 0x8664, kMachineIa64 = 0x0200;
constexpr uint16_t kRelocHighLow = 3, kRelocDir64 = 10;
constexpr uint16_t kSubsystemNative = 1;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr size_t kHeadersSize = 0x200;

size_t AlignUp(size_t v, size_t a)
{
    return (v + a - 1) / a * a;
}

// Addresses of the pointer-free data that both pointer layouts share.
struct Shared
{
    size_t scanCodes = 0, e0 = 0, e1 = 0, vkToBit = 0, deadKeys = 0;
    bool hasDeadKeys = false;
    std::vector<size_t> charTables, keyNames, keyNamesExt, deadKeyNames;
};

void EmitVscVk(Section& s, const std::vector<VscVk>& table)
{
    for (const VscVk& e : table)
    {
        s.U8(e.scanCode);
        s.U8(0);
        s.U16(e.vk);
    }
    s.U32(0);
}

void EmitCharTable(Section& s, const CharTable& t)
{
    for (const CharEntry& e : t.entries)
    {
        s.U8(e.vk);
        s.U8(e.attributes);
        for (char16_t c : e.wch)
            s.U16(c);
    }
    s.U8(0);
    s.U8(0);
    for (int i = 0; i < t.width; ++i)
        s.U16(0);
}

Shared EmitShared(Section& s, const LayoutModel& m)
{
    Shared sh;
    // E1, E0 and the scan-code table come first and in this order, so that each one's bytes are
    // followed by data that is the same in every build and the installer's patterns stay short.
    s.Align(4);
    sh.e1 = s.Here();
    EmitVscVk(s, m.e1);
    sh.e0 = s.Here();
    EmitVscVk(s, m.e0);
    sh.scanCodes = s.Here();
    for (uint16_t vk : m.scanCodes)
        s.U16(vk);
    sh.vkToBit = s.Here();
    const uint8_t bits[] = {0x10, 1, 0x11, 2, 0x12, 4, 0, 0}; // Shift, Ctrl, Alt
    for (uint8_t b : bits)
        s.U8(b);
    sh.charTables.resize(m.charTables.size());
    for (size_t i = 0; i < m.charTables.size(); ++i)
    {
        if (static_cast<int>(i) == m.decimalTable || static_cast<int>(i) == m.numpadTable)
            continue;
        sh.charTables[i] = s.Here();
        EmitCharTable(s, m.charTables[i]);
    }
    sh.charTables[static_cast<size_t>(m.decimalTable)] = s.Here();
    EmitCharTable(s, m.charTables[static_cast<size_t>(m.decimalTable)]);
    sh.charTables[static_cast<size_t>(m.numpadTable)] = s.Here();
    EmitCharTable(s, m.charTables[static_cast<size_t>(m.numpadTable)]);
    s.Align(4);
    if (!m.deadKeys.empty())
    {
        sh.hasDeadKeys = true;
        sh.deadKeys = s.Here();
        for (const DeadKeyEntry& d : m.deadKeys)
        {
            s.U32(d.both);
            s.U16(d.composed);
            s.U16(d.flags);
        }
        s.U32(0);
        s.U32(0);
    }
    for (auto& [sc, name] : m.keyNames)
        sh.keyNames.push_back(s.Text(name));
    for (auto& [sc, name] : m.keyNamesExt)
        sh.keyNamesExt.push_back(s.Text(name));
    for (auto& name : m.deadKeyNames)
        sh.deadKeyNames.push_back(s.Text(name));
    return sh;
}

size_t EmitNameTable(Section& s, const std::vector<std::pair<uint8_t, std::u16string>>& names,
                     const std::vector<size_t>& strings, int w)
{
    s.Align(static_cast<size_t>(w));
    size_t at = s.Here();
    for (size_t i = 0; i < names.size(); ++i)
    {
        s.U8(names[i].first);
        s.Align(static_cast<size_t>(w));
        s.Pointer(strings[i], w);
    }
    s.U8(0);
    s.Align(static_cast<size_t>(w));
    s.Null(w);
    return at;
}

// The structures that hold pointers, laid out for pointers of w bytes; returns the KBDTABLES.
size_t EmitPointerLayout(Section& s, const LayoutModel& m, const Shared& sh, int w)
{
    const size_t a = static_cast<size_t>(w);
    s.Align(a);
    size_t modifiers = s.Here();
    s.Pointer(sh.vkToBit, w);
    s.U16(7); // Shift, Ctrl and Alt give combinations 0 to 7
    for (uint8_t n : m.modNumbers)
        s.U8(n);
    s.Align(a);
    size_t vkToWchar = s.Here();
    for (size_t i = 0; i < m.charTables.size(); ++i)
    {
        s.Pointer(sh.charTables[i], w);
        s.U8(static_cast<uint8_t>(m.charTables[i].width));
        s.U8(static_cast<uint8_t>(2 + 2 * m.charTables[i].width));
        s.Align(a);
    }
    s.Null(w);
    s.U16(0);
    s.Align(a);
    size_t keyNames = EmitNameTable(s, m.keyNames, sh.keyNames, w);
    size_t keyNamesExt = EmitNameTable(s, m.keyNamesExt, sh.keyNamesExt, w);
    size_t deadNames = s.Here();
    for (size_t p : sh.deadKeyNames)
        s.Pointer(p, w);
    s.Null(w);

    s.Align(a);
    size_t tables = s.Here();
    s.Pointer(modifiers, w);
    s.Pointer(vkToWchar, w);
    sh.hasDeadKeys ? s.Pointer(sh.deadKeys, w) : s.Null(w);
    m.keyNames.empty() ? s.Null(w) : s.Pointer(keyNames, w);
    m.keyNamesExt.empty() ? s.Null(w) : s.Pointer(keyNamesExt, w);
    sh.deadKeyNames.empty() ? s.Null(w) : s.Pointer(deadNames, w);
    s.Pointer(sh.scanCodes, w);
    s.U8(static_cast<uint8_t>(kScanCodeCount));
    s.Align(a);
    s.Pointer(sh.e0, w);
    s.Pointer(sh.e1, w);
    s.U32(m.localeFlags);
    s.U8(0); // no ligatures
    s.U8(0);
    s.Align(a);
    s.Null(w);
    s.U32(4); // keyboard type: enhanced 101/102-key
    s.U32(0);
    return tables;
}

void EmitRelocations(Section& s, std::vector<uint32_t> rvas, uint16_t type)
{
    std::sort(rvas.begin(), rvas.end());
    size_t i = 0;
    while (i < rvas.size())
    {
        uint32_t page = rvas[i] & ~0xFFFu;
        size_t block = s.Here();
        s.U32(page);
        s.U32(0);
        size_t count = 0;
        while (i < rvas.size() && (rvas[i] & ~0xFFFu) == page)
        {
            s.U16(static_cast<uint16_t>((type << 12) | (rvas[i] & 0xFFF)));
            ++i;
            ++count;
        }
        if (count % 2)
            s.U16(0); // blocks stay 32-bit aligned
        s.Put32(block + 4, static_cast<uint32_t>(s.Here() - block));
    }
}

struct Writer
{
    std::vector<uint8_t>& b;
    void At16(size_t at, uint16_t v)
    {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    void At32(size_t at, uint32_t v)
    {
        At16(at, static_cast<uint16_t>(v));
        At16(at + 2, static_cast<uint16_t>(v >> 16));
    }
    void At64(size_t at, uint64_t v)
    {
        At32(at, static_cast<uint32_t>(v));
        At32(at + 4, static_cast<uint32_t>(v >> 32));
    }
};

uint16_t VersionPart(const std::u16string& v, int which)
{
    int part = 0;
    uint32_t n = 0;
    for (char16_t c : v)
    {
        if (c == u'.')
        {
            if (part == which)
                return static_cast<uint16_t>(n);
            ++part;
            n = 0;
        }
        else if (c >= u'0' && c <= u'9')
        {
            n = n * 10 + static_cast<uint32_t>(c - u'0');
        }
    }
    return part == which ? static_cast<uint16_t>(n) : 0;
}

} // namespace

std::vector<uint8_t> X86SingleCode()
{
    return {0xB8, 0, 0, 0, 0, // mov eax, tables
            0xC3};            // ret
}

// Chooses the table layout at run time. Windows fills the shared user page's image-number field
// with the native machine (0x14C on 32-bit Windows, 0x8664 or 0x200 on 64-bit); where that field
// is left 0, the native-architecture field of newer systems answers instead (9 AMD64, 6 IA64,
// 12 ARM64 mean 64-bit). Neither depends on the thread's selectors or the TEB, which emulators
// set alike for every 32-bit process.
std::vector<uint8_t> X86ChoosingCode()
{
    return {
        0xB8, 0,    0,    0,    0,                // 00 mov eax, 32-bit tables
        0x0F, 0xB7, 0x0D, 0x2E, 0x00, 0xFE, 0x7F, // 05 movzx ecx, word [7FFE002Eh]
        0xE3, 0x0E,                               // 0C jecxz 1C
        0x81, 0xF9, 0x4C, 0x01, 0x00, 0x00,       // 0E cmp ecx, 14Ch
        0x74, 0x1C,                               // 14 je 32
        0xB8, 0,    0,    0,    0,                // 16 mov eax, 64-bit tables
        0xC3,                                     // 1B ret
        0x0F, 0xB7, 0x0D, 0x6A, 0x02, 0xFE, 0x7F, // 1C movzx ecx, word [7FFE026Ah]
        0x83, 0xF9, 0x09,                         // 23 cmp ecx, 9
        0x74, 0xEE,                               // 26 je 16
        0x83, 0xF9, 0x06,                         // 28 cmp ecx, 6
        0x74, 0xE9,                               // 2B je 16
        0x83, 0xF9, 0x0C,                         // 2D cmp ecx, 12
        0x74, 0xE4,                               // 30 je 16
        0xC3,                                     // 32 ret
    };
}

// { .mib  nop.m 0 ; mov r8 = r1 ; br.ret.sptk.many b0 ;; }: the function descriptor's global
// pointer is the tables' address, so returning gp returns the tables.
std::vector<uint8_t> Ia64ReturnGpBundle()
{
    const unsigned __int128 tmpl = 0x11; // MIB, stop at the end
    const unsigned __int128 nopM = static_cast<unsigned __int128>(1) << 27;
    const unsigned __int128 addsR8R1 =
        (static_cast<unsigned __int128>(8) << 37) | (static_cast<unsigned __int128>(2) << 34) |
        (static_cast<unsigned __int128>(1) << 20) | (static_cast<unsigned __int128>(8) << 6);
    const unsigned __int128 brRet = (static_cast<unsigned __int128>(0x21) << 27) |
                                    (static_cast<unsigned __int128>(1) << 12) |
                                    (static_cast<unsigned __int128>(4) << 6);
    const unsigned __int128 bundle = tmpl | (nopM << 5) | (addsR8R1 << 46) | (brRet << 87);
    std::vector<uint8_t> out(16);
    for (int i = 0; i < 16; ++i)
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(bundle >> (8 * i));
    return out;
}

uint32_t PeChecksum(const std::vector<uint8_t>& image, size_t checksumOffset)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < image.size(); i += 2)
    {
        if (i == checksumOffset || i == checksumOffset + 2)
            continue;
        sum += static_cast<uint32_t>(image[i] | (image[i + 1] << 8));
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (image.size() % 2)
        sum += image.back();
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    return sum + static_cast<uint32_t>(image.size());
}

int BuildLayoutImage(const klc::KlcLayout& layout, const LayoutModel& model, const BuildTarget& target,
                     const ImageOptions& options, std::vector<uint8_t>& image, ImageSites& sites,
                     std::string& error)
{
    const bool image64 = target.machine != Machine::X86;
    Section s(kSectionRva, kImageBase, image64);
    Shared sh = EmitShared(s, model);

    std::vector<size_t> tables;
    tables.push_back(EmitPointerLayout(s, model, sh, image64 ? 8 : 4));
    if (target.bothPointerLayouts)
        tables.push_back(EmitPointerLayout(s, model, sh, 8));

    // The export's code lives in the same section, which is why it is executable.
    s.Align(16);
    size_t code = s.Here();
    size_t exported = code;
    if (target.machine == Machine::X86)
    {
        std::vector<uint8_t> c = target.bothPointerLayouts ? X86ChoosingCode() : X86SingleCode();
        s.Bytes(c);
        s.Put32(code + 1, static_cast<uint32_t>(s.Address(tables[0])));
        s.AddRelocation(code + 1);
        if (target.bothPointerLayouts)
        {
            s.Put32(code + 0x17, static_cast<uint32_t>(s.Address(tables[1])));
            s.AddRelocation(code + 0x17);
        }
    }
    else if (target.machine == Machine::Amd64)
    {
        s.Bytes({0x48, 0x8D, 0x05, 0, 0, 0, 0, 0xC3}); // lea rax, [rip + tables] ; ret
        s.Put32(code + 3, static_cast<uint32_t>(s.Rva(tables[0]) - s.Rva(code + 7)));
    }
    else
    {
        s.Bytes(Ia64ReturnGpBundle());
        exported = s.Here(); // exports of IA64 images name function descriptors
        s.Pointer(code, 8);
        s.Pointer(tables[0], 8);
    }

    s.Align(4);
    size_t exportDir = s.Here();
    for (int i = 0; i < 10; ++i)
        s.U32(0);
    size_t functions = s.U32(s.Rva(exported));
    size_t names = s.U32(0);
    size_t ordinals = s.U16(0);
    size_t dllName = s.Ascii(options.libraryName);
    size_t exportName = s.Ascii("KbdLayerDescriptor");
    s.Put32(names, s.Rva(exportName));
    s.Put32(exportDir + 12, s.Rva(dllName));
    s.Put32(exportDir + 16, 1); // ordinal base
    s.Put32(exportDir + 20, 1);
    s.Put32(exportDir + 24, 1);
    s.Put32(exportDir + 28, s.Rva(functions));
    s.Put32(exportDir + 32, s.Rva(names));
    s.Put32(exportDir + 36, s.Rva(ordinals));
    size_t exportSize = s.Here() - exportDir;

    std::vector<ResourceItem> resources;
    std::vector<klc::KlcLocalised> names1000 = layout.descriptions;
    if (names1000.empty())
        names1000.push_back({0x0409, layout.description});
    for (const klc::KlcLocalised& d : names1000)
        resources.push_back({6, 1000 / 16 + 1, d.langId, StringBlock(1000 % 16, d.text)});
    resources.push_back({16, 1, 0x0409, VersionResource(layout, options)});
    s.Align(8);
    size_t rsrc = EmitResources(s, std::move(resources));
    size_t rsrcSize = s.Here() - rsrc;

    s.Align(4);
    size_t relocs = s.Here();
    EmitRelocations(s, s.Relocations(), image64 ? kRelocDir64 : kRelocHighLow);
    size_t relocSize = s.Here() - relocs;

    const std::vector<uint8_t>& data = s.Data();
    if (data.size() >= 256 * 1024)
    {
        error = "the section outgrew 256 KiB";
        return 0;
    }
    const size_t rawSize = AlignUp(data.size(), kFileAlignment);
    image.assign(kHeadersSize + rawSize, 0);
    std::copy(data.begin(), data.end(), image.begin() + kHeadersSize);
    Writer w{image};

    image[0] = 'M';
    image[1] = 'Z';
    const size_t pe = 0x40;
    w.At32(0x3C, pe);
    image[pe] = 'P';
    image[pe + 1] = 'E';
    const size_t fh = pe + 4;
    const uint16_t machine = target.machine == Machine::X86     ? kMachineI386
                             : target.machine == Machine::Amd64 ? kMachineAmd64
                                                                : kMachineIa64;
    const uint16_t optSize = image64 ? 240 : 224;
    w.At16(fh, machine);
    w.At16(fh + 2, 1); // one section
    w.At16(fh + 16, optSize);
    // executable image, DLL; 32-bit word machine or large-address aware
    w.At16(fh + 18, static_cast<uint16_t>(0x2002 | (image64 ? 0x0020 : 0x0100)));

    const size_t oh = fh + 20;
    w.At16(oh, image64 ? 0x20B : 0x10B);
    w.At32(oh + 4, static_cast<uint32_t>(rawSize)); // code and data share the section
    w.At32(oh + 8, static_cast<uint32_t>(rawSize));
    w.At32(oh + 16, 0); // no entry point
    w.At32(oh + 20, kSectionRva);
    size_t after;
    if (image64)
    {
        w.At64(oh + 24, kImageBase);
        after = oh + 32;
    }
    else
    {
        w.At32(oh + 24, kSectionRva);
        w.At32(oh + 28, static_cast<uint32_t>(kImageBase));
        after = oh + 32;
    }
    w.At32(after, kSectionAlignment);
    w.At32(after + 4, kFileAlignment);
    w.At16(after + 8, target.osMajor);
    w.At16(after + 10, target.osMinor);
    w.At16(after + 12, VersionPart(layout.version, 0));
    w.At16(after + 14, VersionPart(layout.version, 1));
    w.At16(after + 16, target.osMajor);
    w.At16(after + 18, target.osMinor);
    w.At32(after + 24, static_cast<uint32_t>(kSectionRva + AlignUp(data.size(), kSectionAlignment)));
    w.At32(after + 28, static_cast<uint32_t>(kHeadersSize));
    const size_t checksumAt = after + 32;
    w.At16(after + 36, kSubsystemNative);
    uint16_t dllChars = 0;
    if (target.osMajor >= 6)
        dllChars = static_cast<uint16_t>(0x0040 | 0x0100 | (image64 ? 0 : 0x0400)); // ASLR, DEP, no SEH
    w.At16(after + 38, dllChars);
    size_t dirs;
    if (image64)
    {
        w.At64(after + 40, 0x40000);
        w.At64(after + 48, 0x1000);
        w.At64(after + 56, 0x100000);
        w.At64(after + 64, 0x1000);
        w.At32(after + 76, 16);
        dirs = after + 80;
    }
    else
    {
        w.At32(after + 40, 0x40000);
        w.At32(after + 44, 0x1000);
        w.At32(after + 48, 0x100000);
        w.At32(after + 52, 0x1000);
        w.At32(after + 60, 16);
        dirs = after + 64;
    }
    w.At32(dirs + 0, s.Rva(exportDir));
    w.At32(dirs + 4, static_cast<uint32_t>(exportSize));
    w.At32(dirs + 16, s.Rva(rsrc));
    w.At32(dirs + 20, static_cast<uint32_t>(rsrcSize));
    w.At32(dirs + 40, s.Rva(relocs));
    w.At32(dirs + 44, static_cast<uint32_t>(relocSize));

    const size_t sh0 = oh + optSize;
    const char name[8] = {'.', 'd', 'a', 't', 'a', 0, 0, 0};
    std::copy(name, name + 8, image.begin() + static_cast<long>(sh0));
    w.At32(sh0 + 8, static_cast<uint32_t>(data.size()));
    w.At32(sh0 + 12, kSectionRva);
    w.At32(sh0 + 16, static_cast<uint32_t>(rawSize));
    w.At32(sh0 + 20, static_cast<uint32_t>(kHeadersSize));
    // code, initialised data, executable, readable, writable
    w.At32(sh0 + 36, 0x00000020u | 0x00000040u | 0x20000000u | 0x40000000u | 0x80000000u);
    w.At32(checksumAt, PeChecksum(image, checksumAt));

    sites = ImageSites{};
    sites.scanCodes = kHeadersSize + sh.scanCodes;
    sites.e0 = kHeadersSize + sh.e0;
    sites.e1 = kHeadersSize + sh.e1;
    // The decimal key is the last entry of its table: its first character follows vk and attributes.
    const CharTable& dt = model.charTables[static_cast<size_t>(model.decimalTable)];
    sites.decimal = kHeadersSize + sh.charTables[static_cast<size_t>(model.decimalTable)] +
                    (dt.entries.size() - 1) * static_cast<size_t>(2 + 2 * dt.width) + 2;
    for (size_t t : tables)
        sites.tables.push_back(kHeadersSize + t);
    return 1;
}

} // namespace kbd
