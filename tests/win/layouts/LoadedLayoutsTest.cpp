// Loads the layout libraries of this process's processor with LoadLibraryW, calls their
// KbdLayerDescriptor and walks the tables the system would read. Built as 32-bit code for the x86
// builds (run on 32-bit and 64-bit Windows) and as 64-bit code for the AMD64 builds.
#include "LayoutCheck.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace
{

using namespace layouts;

#ifdef _WIN64
constexpr int kIndexes[] = {4, 7, 10, 12};
#else
constexpr int kIndexes[] = {0, 1, 2, 5, 8, 11};
#endif

struct Build
{
    int set, variant, index;
};

std::vector<Build> Builds()
{
    std::vector<Build> all;
    for (int s = 0; s < 2; ++s)
        for (int v = 0; v < 3; ++v)
            for (int i : kIndexes)
                all.push_back({s, v, i});
    return all;
}

std::string BuildName(const testing::TestParamInfo<Build>& info)
{
    return "s" + std::to_string(info.param.set) + "v" + std::to_string(info.param.variant) + "b" +
           std::to_string(info.param.index);
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string LibraryPath(const Build& b)
{
    return HostPath(std::string(OGONEK_LAYOUT_DIR) + "/" + LibraryName(b.set, b.variant, b.index));
}

klc::KlcLayout Source(const Build& b)
{
    klc::KlcLayout l;
    std::string error;
    EXPECT_TRUE(klc::ReadKlcFile(
        HostPath(std::string(OGONEK_LAYOUT_SOURCE_DIR) + "/" + SourceName(b.set, b.variant)), l, error))
        << error;
    return l;
}

[[maybe_unused]] bool RunningOnWow64()
{
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

// The width of the table pointers the system expects from this build in this process.
int ExpectedPointerWidth(int index)
{
#ifdef _WIN64
    (void)index;
    return 8;
#else
    return index >= 2 && RunningOnWow64() ? 8 : 4;
#endif
}

class Module
{
  public:
    explicit Module(const std::string& path) : h_(LoadLibraryW(Wide(path).c_str())) {}
    ~Module()
    {
        if (h_)
            FreeLibrary(h_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    HMODULE Get() const { return h_; }

  private:
    HMODULE h_;
};

using Descriptor = void*(WINAPI*)();

// A loaded library: its memory as the loader left it, and the tables the export returned.
struct Loaded
{
    std::vector<uint8_t> mem;
    PeView pe;
    Memory memory{};
    uint8_t* tables = nullptr;
    Walked walked;
};

void Load(const Module& m, int pointerWidth, Loaded& out)
{
    ASSERT_NE(m.Get(), nullptr) << "LoadLibraryW failed: " << GetLastError();
    auto* fn =
        reinterpret_cast<Descriptor>(reinterpret_cast<void*>(GetProcAddress(m.Get(), "KbdLayerDescriptor")));
    ASSERT_NE(fn, nullptr);
    out.tables = static_cast<uint8_t*>(fn());
    auto* base = reinterpret_cast<uint8_t*>(m.Get());
    auto* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    out.mem.assign(base, base + nt->OptionalHeader.SizeOfImage);
    std::string error;
    ASSERT_TRUE(ParsePe(out.mem, out.pe, error)) << error;
    ASSERT_EQ(out.pe.sections.size(), 1u);
    out.pe.imageBase = reinterpret_cast<uintptr_t>(base); // where it was loaded, relocated if moved
    const PeSection& s = out.pe.sections[0];
    out.memory = Memory{&out.mem, out.pe.imageBase, s.va, s.va + s.virtualSize};
    ASSERT_GE(out.tables, base);
    const uint32_t rva = static_cast<uint32_t>(out.tables - base);
    ASSERT_TRUE(WalkTables(out.memory, rva, pointerWidth, out.walked, error)) << error;
}

class LoadedLayout : public testing::TestWithParam<Build>
{
};

TEST_P(LoadedLayout, TablesMatchTheSourceAndNameLoads)
{
    const Build& b = GetParam();
    const klc::KlcLayout src = Source(b);
    Module m(LibraryPath(b));
    Loaded l;
    ASSERT_NO_FATAL_FAILURE(Load(m, ExpectedPointerWidth(b.index), l));
    std::string error;
    EXPECT_TRUE(CompareWithSource(l.walked, src, error)) << error;
    EXPECT_EQ(l.walked.type, 4u);

    // The export chose the layout this process needs, out of the ones the file carries.
    std::vector<uint32_t> tables, slots;
    uint32_t exportRva;
    ASSERT_TRUE(FindExport(l.mem, l.pe, "KbdLayerDescriptor", exportRva, error)) << error;
    ASSERT_TRUE(TablesFromExport(l.mem, l.pe, exportRva, tables, slots, error)) << error;
    const size_t wanted = tables.size() == 2 && ExpectedPointerWidth(b.index) == 8 ? 1 : 0;
    EXPECT_EQ(l.tables, reinterpret_cast<uint8_t*>(m.Get()) + tables[wanted]);

    wchar_t name[256] = {};
    const int n = LoadStringW(m.Get(), 1000, name, 256);
    ASSERT_GT(n, 0);
    const std::u16string got(reinterpret_cast<const char16_t*>(name), static_cast<size_t>(n));
    bool known = false;
    for (const klc::KlcLocalised& d : src.descriptions)
        known |= d.text == got;
    EXPECT_TRUE(known) << klc::ToUtf8(got);
}

INSTANTIATE_TEST_SUITE_P(All, LoadedLayout, testing::ValuesIn(Builds()), BuildName);

// The patch the installer makes: a key's virtual key written at its scan-code table slot, found
// by the variant's pattern, and the decimal site set to a comma.
std::vector<uint8_t> Patch(std::vector<uint8_t> image, const std::map<int, std::vector<uint8_t>>& patterns,
                           int variant, uint8_t scanCode, uint16_t vk)
{
    size_t table, decimal;
    if (CountOccurrences(image, patterns.at(147 + variant), table) != 1)
        return {};
    if (CountOccurrences(image, patterns.at(146), decimal) != 1)
        return {};
    image[table + 2 * scanCode] = static_cast<uint8_t>(vk);
    image[table + 2 * scanCode + 1] = static_cast<uint8_t>(vk >> 8);
    image[decimal] = ',';
    image[decimal + 2] = ',';
    return image;
}

bool SameEntries(const CharTable& a, const CharTable& b, bool decimalToComma)
{
    if (a.width != b.width || a.entries.size() != b.entries.size())
        return false;
    for (size_t i = 0; i < a.entries.size(); ++i)
    {
        const CharEntry &x = a.entries[i], &y = b.entries[i];
        std::vector<char16_t> want = x.wch;
        if (decimalToComma && x.vk == 0x6E)
            want[0] = want[1] = u',';
        if (x.vk != y.vk || x.attributes != y.attributes || want != y.wch)
            return false;
    }
    return true;
}

TEST(PatchedLayout, ShowsExactlyTheChange)
{
    std::map<int, std::vector<uint8_t>> patterns;
    std::string error;
    ASSERT_TRUE(ReadPatterns(HostPath(OGONEK_LAYOUT_PATTERNS), patterns, error)) << error;
    wchar_t tempDir[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, tempDir), 0u);
    const uint8_t kCapsLock = 0x3A;
    const uint16_t kLeftControl = 0xA2;
    for (const Build& b : Builds())
    {
        if (b.index != kIndexes[0] && b.index != kIndexes[std::size(kIndexes) - 1])
            continue;
        SCOPED_TRACE(LibraryName(b.set, b.variant, b.index));
        const std::vector<uint8_t> original = ReadFileBytes(LibraryPath(b));
        const std::vector<uint8_t> patched = Patch(original, patterns, b.variant, kCapsLock, kLeftControl);
        ASSERT_FALSE(patched.empty()) << "a pattern was not found exactly once";
        std::wstring path =
            std::wstring(tempDir) + L"patched-" + Wide(LibraryName(b.set, b.variant, b.index));
        {
            HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            BOOL ok = WriteFile(f, patched.data(), static_cast<DWORD>(patched.size()), &written, nullptr);
            CloseHandle(f);
            ASSERT_TRUE(ok && written == patched.size());
        }
        {
            Module before(LibraryPath(b));
            Module after(std::string(path.begin(), path.end()));
            Loaded x, y;
            ASSERT_NO_FATAL_FAILURE(Load(before, ExpectedPointerWidth(b.index), x));
            ASSERT_NO_FATAL_FAILURE(Load(after, ExpectedPointerWidth(b.index), y));
            std::vector<uint16_t> want = x.walked.scanCodes;
            EXPECT_NE(want[kCapsLock], kLeftControl);
            want[kCapsLock] = kLeftControl;
            EXPECT_EQ(y.walked.scanCodes, want);
            EXPECT_EQ(y.walked.e0, x.walked.e0);
            EXPECT_EQ(y.walked.e1, x.walked.e1);
            EXPECT_EQ(y.walked.keyNames, x.walked.keyNames);
            EXPECT_EQ(y.walked.deadKeyNames, x.walked.deadKeyNames);
            EXPECT_EQ(y.walked.modNumbers, x.walked.modNumbers);
            ASSERT_EQ(y.walked.charTables.size(), x.walked.charTables.size());
            for (size_t i = 0; i < x.walked.charTables.size(); ++i)
                EXPECT_TRUE(SameEntries(x.walked.charTables[i], y.walked.charTables[i], true))
                    << "table " << i;
            ASSERT_EQ(y.walked.deadKeys.size(), x.walked.deadKeys.size());
            EXPECT_EQ(0, std::memcmp(y.walked.deadKeys.data(), x.walked.deadKeys.data(),
                                     x.walked.deadKeys.size() * sizeof(DeadKey)));
        }
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }
}

#ifndef _WIN64
// The x86 builds for 5.2 and later serve 32-bit Windows and the 32-bit programs of 64-bit
// Windows alike. Their export's choice is run here against every answer the system's shared page
// can give, by pointing a copy of its code at a page of our own.
TEST(ChoosingExport, PicksTheLayoutOfTheRunningSystem)
{
    Module m(LibraryPath({0, 0, 11}));
    ASSERT_NE(m.Get(), nullptr);
    const auto* code = reinterpret_cast<const uint8_t*>(GetProcAddress(m.Get(), "KbdLayerDescriptor"));
    ASSERT_NE(code, nullptr);
    const size_t kLength = 0x33;
    uint32_t narrow, wide, imageField, nativeField;
    std::memcpy(&narrow, code + 1, 4);
    std::memcpy(&wide, code + 0x17, 4);
    std::memcpy(&imageField, code + 8, 4);
    std::memcpy(&nativeField, code + 0x1F, 4);
    ASSERT_EQ(imageField, 0x7FFE002Eu);
    ASSERT_EQ(nativeField, 0x7FFE026Au);

    auto* copy =
        static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    ASSERT_NE(copy, nullptr);
    std::memcpy(copy, code, kLength);
    auto* fake = reinterpret_cast<uint16_t*>(copy + 0x100); // [0]: image number, [1]: native architecture
    const uint32_t fakeImage = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&fake[0]));
    const uint32_t fakeNative = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&fake[1]));
    std::memcpy(copy + 8, &fakeImage, 4);
    std::memcpy(copy + 0x1F, &fakeNative, 4);
    FlushInstructionCache(GetCurrentProcess(), copy, kLength);
    auto fn = reinterpret_cast<Descriptor>(copy);

    struct Case
    {
        uint16_t imageNumber, nativeArchitecture;
        bool wideLayout;
    };
    const Case cases[] = {
        {0x014C, 0, false}, // 32-bit Windows
        {0x014C, 9, false}, // the image number, where set, decides
        {0x8664, 0, true},  // x64 Windows (WOW64)
        {0x0200, 0, true},  // Itanium Windows
        {0, 0, false},      // field left empty, native architecture x86
        {0, 9, true},       // ... AMD64
        {0, 6, true},       // ... IA64
        {0, 12, true},      // ... ARM64
        {0, 5, false},      // ... 32-bit ARM
    };
    for (const Case& c : cases)
    {
        fake[0] = c.imageNumber;
        fake[1] = c.nativeArchitecture;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(fn()), c.wideLayout ? wide : narrow)
            << std::hex << c.imageNumber << " " << c.nativeArchitecture;
    }
    VirtualFree(copy, 0, MEM_RELEASE);
}

// On this system, the real export agrees with IsWow64Process.
TEST(ChoosingExport, AgreesWithTheProcess)
{
    for (int index : {2, 5, 8, 11})
    {
        Module m(LibraryPath({1, 2, index}));
        Loaded l;
        ASSERT_NO_FATAL_FAILURE(Load(m, RunningOnWow64() ? 8 : 4, l));
        // The 104-byte layout keeps the high halves of its pointers zero; the 60-byte one has the
        // keyboard type at byte 52.
        if (RunningOnWow64())
        {
            EXPECT_EQ(*reinterpret_cast<uint32_t*>(l.tables + 96), 4u);
            EXPECT_EQ(*reinterpret_cast<uint32_t*>(l.tables + 4), 0u);
        }
        else
        {
            EXPECT_EQ(*reinterpret_cast<uint32_t*>(l.tables + 52), 4u);
        }
    }
}
#endif

} // namespace
