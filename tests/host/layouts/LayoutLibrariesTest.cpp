// Structural checks of every generated layout library (x86, AMD64 and IA64), read from the files.
#include "LayoutCheck.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

using namespace layouts;

struct Build
{
    int set, variant, index;
};

std::vector<Build> AllBuilds()
{
    std::vector<Build> all;
    for (int s = 0; s < 2; ++s)
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 13; ++i)
                all.push_back({s, v, i});
    return all;
}

std::string BuildName(const testing::TestParamInfo<Build>& info)
{
    return "s" + std::to_string(info.param.set) + "v" + std::to_string(info.param.variant) + "b" +
           std::to_string(info.param.index);
}

const klc::KlcLayout& Source(int set, int variant)
{
    static klc::KlcLayout cache[2][3];
    static bool loaded[2][3];
    if (!loaded[set][variant])
    {
        std::string error;
        EXPECT_TRUE(
            klc::ReadKlcFile(HostPath(std::string(OGONEK_LAYOUT_SOURCE_DIR) + "/" + SourceName(set, variant)),
                             cache[set][variant], error))
            << error;
        loaded[set][variant] = true;
    }
    return cache[set][variant];
}

const std::map<int, std::vector<uint8_t>>& Patterns()
{
    static std::map<int, std::vector<uint8_t>> patterns;
    static bool loaded;
    if (!loaded)
    {
        std::string error;
        EXPECT_TRUE(ReadPatterns(HostPath(OGONEK_LAYOUT_PATTERNS), patterns, error)) << error;
        loaded = true;
    }
    return patterns;
}

class LayoutLibrary : public testing::TestWithParam<Build>
{
  protected:
    void SetUp() override
    {
        const Build& b = GetParam();
        file = ReadFileBytes(
            HostPath(std::string(OGONEK_LAYOUT_DIR) + "/" + LibraryName(b.set, b.variant, b.index)));
        ASSERT_FALSE(file.empty()) << "library missing";
        std::string error;
        ASSERT_TRUE(ParsePe(file, pe, error)) << error;
        ASSERT_EQ(pe.sections.size(), 1u);
        mem = MapImage(file, pe);
        const PeSection& s = pe.sections[0];
        memory = Memory{&mem, pe.imageBase, s.va, s.va + s.virtualSize};
        uint32_t exportRva;
        ASSERT_TRUE(FindExport(mem, pe, "KbdLayerDescriptor", exportRva, error)) << error;
        ASSERT_TRUE(TablesFromExport(mem, pe, exportRva, tables, codeSlots, error)) << error;
        const bool wide = kBuildInfo[b.index].machine != kI386;
        for (size_t i = 0; i < tables.size(); ++i)
        {
            Walked w;
            ASSERT_TRUE(WalkTables(memory, tables[i], (wide || i == 1) ? 8 : 4, w, error))
                << "layout " << i << ": " << error;
            walked.push_back(std::move(w));
        }
    }

    std::vector<uint8_t> file, mem;
    PeView pe;
    Memory memory{};
    std::vector<uint32_t> tables, codeSlots;
    std::vector<Walked> walked;
};

TEST_P(LayoutLibrary, HeadersFitTheBuild)
{
    const BuildInfo& info = kBuildInfo[GetParam().index];
    const PeSection& s = pe.sections[0];
    EXPECT_EQ(pe.machine, info.machine);
    EXPECT_EQ(pe.pe32plus, info.machine != kI386);
    EXPECT_EQ(s.name, ".data");
    EXPECT_LE(s.virtualSize, s.rawSize) << "the section must be backed by file data";
    EXPECT_LT(s.rawSize, 256u * 1024);
    EXPECT_EQ(s.characteristics & 0xE0000040u, 0xE0000040u) << "readable, writable, executable, initialised";
    EXPECT_EQ(pe.entryPoint, 0u);
    EXPECT_EQ(pe.dirs[1].first, 0u) << "no imports";
    EXPECT_EQ(pe.dirs[12].first, 0u);
    EXPECT_EQ(pe.characteristics & 0x2002, 0x2002) << "an executable DLL";
    EXPECT_EQ(pe.osMajor, info.osMajor);
    EXPECT_EQ(pe.osMinor, info.osMinor);
    EXPECT_EQ(pe.subsystemMajor, info.osMajor);
    EXPECT_EQ(pe.subsystemMinor, info.osMinor);
    EXPECT_EQ(pe.subsystem, 1) << "native";
    for (int d : {0, 2, 5})
    {
        EXPECT_NE(pe.dirs[static_cast<size_t>(d)].second, 0u) << "directory " << d;
        EXPECT_GE(pe.dirs[static_cast<size_t>(d)].first, s.va) << "directory " << d;
        EXPECT_LE(pe.dirs[static_cast<size_t>(d)].first + pe.dirs[static_cast<size_t>(d)].second,
                  s.va + s.virtualSize);
    }
    // The file's checksum, computed as the system does.
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < file.size(); i += 2)
    {
        if (i == pe.checksumOffset || i == pe.checksumOffset + 2)
            continue;
        sum += static_cast<uint32_t>(file[i] | (file[i + 1] << 8));
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    EXPECT_EQ(pe.checksum, sum + file.size());
}

TEST_P(LayoutLibrary, EveryPointerIsRelocatedAndNothingElse)
{
    std::map<uint32_t, int> relocs;
    std::string error;
    ASSERT_TRUE(ReadRelocations(mem, pe, relocs, error)) << error;
    const int type = pe.machine == kI386 ? 3 : 10;
    std::set<uint32_t> expected(codeSlots.begin(), codeSlots.end());
    for (const Walked& w : walked)
        expected.insert(w.pointerSlots.begin(), w.pointerSlots.end());
    std::set<uint32_t> got;
    for (auto [rva, t] : relocs)
    {
        EXPECT_EQ(t, type) << std::hex << rva;
        got.insert(rva);
    }
    EXPECT_EQ(got, expected);
}

TEST_P(LayoutLibrary, TablesMatchTheSource)
{
    const Build& b = GetParam();
    const klc::KlcLayout& src = Source(b.set, b.variant);
    ASSERT_EQ(walked.size(), (kBuildInfo[b.index].machine == kI386 && b.index >= 2) ? 2u : 1u);
    for (const Walked& w : walked)
    {
        std::string error;
        EXPECT_TRUE(CompareWithSource(w, src, error)) << error;
        EXPECT_EQ(w.type, 4u);
        const CharEntry* decimal = nullptr;
        for (const CharTable& t : w.charTables)
            for (const CharEntry& e : t.entries)
                if (e.vk == 0x6E)
                    decimal = &e;
        ASSERT_NE(decimal, nullptr);
        EXPECT_EQ(decimal->wch[0], u'.');
        EXPECT_EQ(decimal->wch[1], u'.');
    }
    if (walked.size() == 2)
    {
        // Both layouts describe the same tables, and share the ones without pointers.
        const Walked &a = walked[0], &c = walked[1];
        EXPECT_EQ(a.scanCodesRva, c.scanCodesRva);
        EXPECT_EQ(a.e0Rva, c.e0Rva);
        EXPECT_EQ(a.e1Rva, c.e1Rva);
        EXPECT_EQ(a.decimalSiteRva, c.decimalSiteRva);
        EXPECT_EQ(a.keyNames, c.keyNames);
        EXPECT_EQ(a.deadKeyNames, c.deadKeyNames);
        EXPECT_EQ(a.modNumbers, c.modNumbers);
        ASSERT_EQ(a.charTables.size(), c.charTables.size());
        for (size_t i = 0; i < a.charTables.size(); ++i)
            EXPECT_EQ(a.charTables[i].rva, c.charTables[i].rva);
    }
}

TEST_P(LayoutLibrary, DisplayNameAndVersion)
{
    const klc::KlcLayout& src = Source(GetParam().set, GetParam().variant);
    ASSERT_FALSE(src.descriptions.empty());
    for (const klc::KlcLocalised& d : src.descriptions)
    {
        std::vector<uint8_t> block;
        ASSERT_TRUE(FindResource(mem, pe, 6, 1000 / 16 + 1, d.langId, block)) << std::hex << d.langId;
        EXPECT_EQ(StringFromBlock(block, 1000 % 16), d.text);
    }
    std::vector<uint8_t> version;
    ASSERT_TRUE(FindResource(mem, pe, 16, 1, 0x0409, version));
    ASSERT_GE(version.size(), 92u);
    EXPECT_EQ(version[0] | (version[1] << 8), static_cast<int>(version.size()));
    const uint32_t signature =
        version[40] | (version[41] << 8) | (version[42] << 16) | (static_cast<uint32_t>(version[43]) << 24);
    EXPECT_EQ(signature, 0xFEEF04BDu);
    EXPECT_EQ(version[48] | (version[49] << 8), 9) << "file version 1.9";
    EXPECT_EQ(version[50] | (version[51] << 8), 1);
}

TEST_P(LayoutLibrary, PatternsOccurOnceAtTheirSites)
{
    const Build& b = GetParam();
    const auto& patterns = Patterns();
    const Walked& w = walked[0];
    const std::pair<int, uint32_t> sites[] = {
        {146, w.decimalSiteRva}, {147 + b.variant, w.scanCodesRva}, {150, w.e0Rva}, {151, w.e1Rva}};
    for (auto [id, rva] : sites)
    {
        auto it = patterns.find(id);
        ASSERT_NE(it, patterns.end()) << id;
        size_t first;
        EXPECT_EQ(CountOccurrences(file, it->second, first), 1u) << "pattern " << id;
        EXPECT_EQ(first, FileOffset(pe, rva)) << "pattern " << id;
    }
}

INSTANTIATE_TEST_SUITE_P(All, LayoutLibrary, testing::ValuesIn(AllBuilds()), BuildName);

TEST(LayoutPatterns, FileHoldsTheSixIdsAndTheVariantsDiffer)
{
    const auto& p = Patterns();
    for (int id = 146; id <= 151; ++id)
        EXPECT_EQ(p.count(id), 1u) << id;
    EXPECT_EQ(p.size(), 6u);
    EXPECT_NE(p.at(147), p.at(148));
    EXPECT_NE(p.at(147), p.at(149));
    EXPECT_NE(p.at(148), p.at(149));
}

} // namespace
