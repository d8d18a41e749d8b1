// Patching the real layout builds, and images cut short around every table they patch.
#include "engine/LayoutPatch.h"

#include "LayoutCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{
using namespace layouts;

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

BytePattern PatternOf(int id)
{
    auto it = Patterns().find(id);
    if (it == Patterns().end())
        return {};
    return {it->second.data(), static_cast<int>(it->second.size())};
}

std::vector<uint8_t> ReadBuild(int set, int variant, int index)
{
    return ReadFileBytes(HostPath(std::string(OGONEK_LAYOUT_DIR) + "/" + LibraryName(set, variant, index)));
}

// The working table with some assignments: keys in all three tables, the last one of the scan-code
// table, the special row (never patched), and every E0 key, so that some of them are surely missing
// from a build's E0 table.
std::vector<KeyRecord> Assigned()
{
    std::vector<KeyRecord> keys(StaticKeyTable, StaticKeyTable + kKeyCount);
    for (KeyRecord& k : keys)
    {
        k.AssignedKey = 0;
        if (k.ScanCode == 0x3A)
            k.AssignedKey = 0xA2; // Caps Lock gives Left Ctrl
        else if (k.ScanCode == 0x7E)
            k.AssignedKey = 0x55;
        else if (k.ScanCode == 0x01)
            k.AssignedKey = 0x1B; // the build's own key: written, changes nothing
        else if (k.ScanCode == 0xFF)
            k.AssignedKey = 0x41;
        else if ((k.ScanCode & 0xFF00) == 0xE000)
            k.AssignedKey = static_cast<uint16_t>(0x100 | (k.ScanCode & 0xFF));
        else if (k.ScanCode == 0xE11D)
            k.AssignedKey = 0x91;
    }
    return keys;
}

LayoutPatchPlan Plan(int variant, const std::vector<KeyRecord>& keys, int decimal)
{
    LayoutPatchPlan plan;
    plan.Keys = keys.data();
    plan.KeyCount = static_cast<int>(keys.size());
    plan.ScanCodeTable = PatternOf(147 + variant);
    plan.E0Table = PatternOf(150);
    plan.E1Table = PatternOf(151);
    plan.PatchDecimalKey = decimal;
    plan.DecimalSite = PatternOf(146);
    return plan;
}

struct Tables
{
    std::vector<Walked> walked;
};

// Walks the tables of a library file as Windows would read them (both layouts of the x86 builds
// that carry two).
::testing::AssertionResult Walk(const std::vector<uint8_t>& file, int index, Tables& out)
{
    PeView pe;
    std::string error;
    if (!ParsePe(file, pe, error))
        return ::testing::AssertionFailure() << error;
    static std::vector<uint8_t> mem;
    mem = MapImage(file, pe);
    const PeSection& s = pe.sections[0];
    Memory memory{&mem, pe.imageBase, s.va, s.va + s.virtualSize};
    uint32_t exportRva;
    std::vector<uint32_t> tables, codeSlots;
    if (!FindExport(mem, pe, "KbdLayerDescriptor", exportRva, error) ||
        !TablesFromExport(mem, pe, exportRva, tables, codeSlots, error))
        return ::testing::AssertionFailure() << error;
    const bool wide = kBuildInfo[index].machine != kI386;
    for (size_t i = 0; i < tables.size(); ++i)
    {
        Walked w;
        if (!WalkTables(memory, tables[i], (wide || i == 1) ? 8 : 4, w, error))
            return ::testing::AssertionFailure() << error;
        out.walked.push_back(std::move(w));
    }
    return ::testing::AssertionSuccess();
}

const CharEntry* DecimalEntry(const Walked& w)
{
    for (const CharTable& t : w.charTables)
        for (const CharEntry& e : t.entries)
            if (e.vk == 0x6E)
                return &e;
    return nullptr;
}

struct Build
{
    int set, variant, index;
};

int ByteChanges(uint16_t a, uint16_t b)
{
    return ((a & 0xFF) != (b & 0xFF)) + ((a >> 8) != (b >> 8));
}

std::vector<Build> AllBuilds()
{
    std::vector<Build> all;
    for (int s = 0; s < 2; ++s)
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 13; ++i)
                all.push_back({s, v, i});
    return all;
}

class PatchBuild : public testing::TestWithParam<Build>
{
};

TEST_P(PatchBuild, AssignmentsAndDecimalKeyReachTheTables)
{
    const Build b = GetParam();
    const std::vector<uint8_t> original = ReadBuild(b.set, b.variant, b.index);
    ASSERT_FALSE(original.empty());
    Tables before;
    ASSERT_TRUE(Walk(original, b.index, before));

    const std::vector<KeyRecord> keys = Assigned();
    std::vector<uint8_t> patched = original;
    ASSERT_EQ(PatchLayoutImage(patched.data(), static_cast<int>(patched.size()), Plan(b.variant, keys, 0)),
              LayoutPatchResult::Done);
    Tables after;
    ASSERT_TRUE(Walk(patched, b.index, after));
    ASSERT_EQ(after.walked.size(), before.walked.size());

    int changedBytes = 0;
    for (size_t i = 0; i < original.size(); ++i)
        changedBytes += original[i] != patched[i];

    int expectedBytes = 0;
    for (size_t t = 0; t < before.walked.size(); ++t)
    {
        const Walked& w0 = before.walked[t];
        const Walked& w1 = after.walked[t];
        ASSERT_GE(w0.scanCodes.size(), 0x7Fu);
        std::vector<uint16_t> scanCodes = w0.scanCodes;
        scanCodes[0x3A] = 0xA2;
        scanCodes[0x7E] = 0x55;
        EXPECT_EQ(w1.scanCodes, scanCodes);

        std::vector<std::pair<uint8_t, uint16_t>> e0 = w0.e0;
        int e0Changes = 0;
        for (auto& [code, vk] : e0)
        {
            const uint16_t now = static_cast<uint16_t>(0x100 | code);
            bool inKeyTable = FindDefaultKeyRecord(static_cast<uint16_t>(0xE000 | code)) != nullptr;
            if (inKeyTable && vk != now)
            {
                e0Changes += ByteChanges(vk, now);
                vk = now;
            }
        }
        EXPECT_EQ(w1.e0, e0);
        std::vector<std::pair<uint8_t, uint16_t>> e1 = w0.e1;
        ASSERT_FALSE(e1.empty());
        EXPECT_EQ(e1[0].first, 0x1D);
        e1[0].second = 0x91;
        EXPECT_EQ(w1.e1, e1);

        const CharEntry* dot0 = DecimalEntry(w0);
        const CharEntry* dot1 = DecimalEntry(w1);
        ASSERT_TRUE(dot0 && dot1);
        EXPECT_EQ(dot1->wch, dot0->wch) << "decimal key untouched when the option is 1";
        if (t == 0)
            expectedBytes = ByteChanges(w0.scanCodes[0x3A], 0xA2) + ByteChanges(w0.scanCodes[0x7E], 0x55) +
                            e0Changes + ByteChanges(w0.e1[0].second, 0x91);
    }
    EXPECT_EQ(changedBytes, expectedBytes) << "nothing else in the image changes";

    // The decimal key: both characters become commas, nothing else.
    std::vector<KeyRecord> none = keys;
    for (KeyRecord& k : none)
        k.AssignedKey = 0;
    std::vector<uint8_t> comma = original;
    ASSERT_EQ(PatchLayoutImage(comma.data(), static_cast<int>(comma.size()), Plan(b.variant, none, 0)),
              LayoutPatchResult::Done);
    EXPECT_EQ(comma, original) << "no assignments and the decimal option 1 leave the build as it is";
    LayoutPatchPlan decimal = Plan(b.variant, none, 1);
    ASSERT_EQ(PatchLayoutImage(comma.data(), static_cast<int>(comma.size()), decimal),
              LayoutPatchResult::Done);
    Tables commaTables;
    ASSERT_TRUE(Walk(comma, b.index, commaTables));
    for (const Walked& w : commaTables.walked)
    {
        const CharEntry* e = DecimalEntry(w);
        ASSERT_TRUE(e && e->wch.size() >= 2);
        EXPECT_EQ(e->wch[0], u',');
        EXPECT_EQ(e->wch[1], u',');
    }
    int commaBytes = 0;
    for (size_t i = 0; i < original.size(); ++i)
        commaBytes += original[i] != comma[i];
    EXPECT_EQ(commaBytes, 2);
}

INSTANTIATE_TEST_SUITE_P(AllBuilds, PatchBuild, testing::ValuesIn(AllBuilds()),
                         [](const testing::TestParamInfo<Build>& info)
                         {
                             return "s" + std::to_string(info.param.set) + "v" +
                                    std::to_string(info.param.variant) + "b" +
                                    std::to_string(info.param.index);
                         });

TEST(PatchLayoutImage, EveryNeededPatternMustBeThere)
{
    const std::vector<uint8_t> original = ReadBuild(0, 1, 8);
    ASSERT_FALSE(original.empty());
    std::vector<KeyRecord> none(StaticKeyTable, StaticKeyTable + kKeyCount);
    for (KeyRecord& k : none)
        k.AssignedKey = 0;
    const uint8_t absent[] = {0xDE, 0xAD, 0xBE, 0xEF, 0xDE, 0xAD, 0xBE, 0xEF, 0x01};
    struct Case
    {
        const char* what;
        void (*change)(LayoutPatchPlan&);
        LayoutPatchResult expected;
    };
    static const uint8_t* absentBytes = absent;
    const Case cases[] = {
        {"scan-code table missing", [](LayoutPatchPlan& p) { p.ScanCodeTable = {}; },
         LayoutPatchResult::PatternMissing},
        {"scan-code table empty", [](LayoutPatchPlan& p) { p.ScanCodeTable.Length = 0; },
         LayoutPatchResult::PatternMissing},
        {"E0 table missing", [](LayoutPatchPlan& p) { p.E0Table = {}; }, LayoutPatchResult::PatternMissing},
        {"E1 table missing", [](LayoutPatchPlan& p) { p.E1Table = {}; }, LayoutPatchResult::PatternMissing},
        {"decimal site missing", [](LayoutPatchPlan& p) { p.DecimalSite = {}; },
         LayoutPatchResult::PatternMissing},
        {"another variant's table", [](LayoutPatchPlan& p) { p.ScanCodeTable = PatternOf(147); },
         LayoutPatchResult::PatternNotFound},
        {"E0 pattern not in the image",
         [](LayoutPatchPlan& p) {
             p.E0Table = {absentBytes, 9};
         },
         LayoutPatchResult::PatternNotFound},
        {"E1 pattern not in the image",
         [](LayoutPatchPlan& p) {
             p.E1Table = {absentBytes, 4};
         },
         LayoutPatchResult::PatternNotFound},
        {"decimal pattern not in the image",
         [](LayoutPatchPlan& p) {
             p.DecimalSite = {absentBytes, 8};
         },
         LayoutPatchResult::PatternNotFound},
    };
    for (const Case& c : cases)
    {
        LayoutPatchPlan plan = Plan(1, none, 1);
        c.change(plan);
        std::vector<uint8_t> image = original;
        EXPECT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), plan), c.expected) << c.what;
    }
    // Without a key table the table patterns are not needed; without the decimal option neither is its.
    LayoutPatchPlan bare;
    std::vector<uint8_t> image = original;
    EXPECT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), bare), LayoutPatchResult::Done);
    EXPECT_EQ(image, original);
    bare.Keys = none.data();
    bare.KeyCount = 0;
    EXPECT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), bare), LayoutPatchResult::Done);
}

TEST(PatchLayoutImage, LaterRecordWinsAndMissingE0KeyChangesNothing)
{
    const std::vector<uint8_t> original = ReadBuild(0, 0, 11);
    ASSERT_FALSE(original.empty());
    Tables before;
    ASSERT_TRUE(Walk(original, 11, before));
    // An E0 key that this build's E0 table does not have.
    uint16_t missing = 0;
    for (uint16_t code = 0xE001; code < 0xE080 && !missing; ++code)
    {
        bool present = false;
        for (auto& e : before.walked[0].e0)
            present |= e.first == (code & 0xFF);
        if (!present)
            missing = code;
    }
    ASSERT_NE(missing, 0);
    KeyRecord keys[] = {{0x10, 0x41, 0, 0}, {0x10, 0x42, 0, 0}, {missing, 0x1A0, 0, 0}, {0xE000, 0x33, 0, 0}};
    LayoutPatchPlan plan = Plan(0, {}, 0);
    plan.Keys = keys;
    plan.KeyCount = 4;
    std::vector<uint8_t> image = original;
    ASSERT_EQ(PatchLayoutImage(image.data(), static_cast<int>(image.size()), plan), LayoutPatchResult::Done);
    Tables after;
    ASSERT_TRUE(Walk(image, 11, after));
    EXPECT_EQ(after.walked[0].scanCodes[0x10], 0x42);
    EXPECT_EQ(after.walked[0].e0, before.walked[0].e0);
    int changed = 0;
    for (size_t i = 0; i < image.size(); ++i)
        changed += image[i] != original[i];
    EXPECT_EQ(changed, 1);
}

// What a cut image must hold for a plan to go through: every pattern match, every write, and every
// table walk up to the entry that ends it.
struct Extent
{
    size_t need = 0;
    std::vector<size_t> sites; // where the tables and the decimal site start
};

Extent NeededExtent(const std::vector<uint8_t>& image, const LayoutPatchPlan& plan)
{
    Extent x;
    auto find = [&](const BytePattern& p)
    {
        size_t first = 0;
        std::vector<uint8_t> bytes(p.Bytes, p.Bytes + p.Length);
        EXPECT_EQ(CountOccurrences(image, bytes, first), 1u);
        x.need = std::max(x.need, first + bytes.size());
        x.sites.push_back(first);
        return first;
    };
    const size_t scan = find(plan.ScanCodeTable);
    for (int i = 0; i < plan.KeyCount; ++i)
        if (plan.Keys[i].ScanCode < 0x7F && plan.Keys[i].AssignedKey)
            x.need = std::max(x.need, scan + 2 * plan.Keys[i].ScanCode + 2);
    const BytePattern* tables[2] = {&plan.E0Table, &plan.E1Table};
    for (int t = 0; t < 2; ++t)
    {
        const size_t start = find(*tables[t]);
        const uint16_t prefix = t == 0 ? 0xE000 : 0xE100;
        for (int i = 0; i < plan.KeyCount; ++i)
        {
            const KeyRecord& k = plan.Keys[i];
            if ((k.ScanCode & 0xFF00) != prefix || !k.AssignedKey)
                continue;
            for (size_t e = start;; e += 4)
            {
                if (image[e] == 0)
                {
                    x.need = std::max(x.need, e + 1);
                    break;
                }
                if (image[e] == (k.ScanCode & 0xFF))
                {
                    x.need = std::max(x.need, e + 4);
                    break;
                }
            }
        }
    }
    if (plan.PatchDecimalKey)
    {
        const size_t d = find(plan.DecimalSite);
        x.need = std::max(x.need, d + 3);
    }
    return x;
}

TEST(PatchLayoutImage, ImagesCutShortAroundEveryTable)
{
    const std::vector<KeyRecord> keys = Assigned();
    const Build builds[] = {{0, 0, 0}, {0, 1, 4}, {0, 2, 11}, {1, 0, 12}, {1, 1, 6}, {1, 2, 2}};
    for (const Build& b : builds)
    {
        const std::vector<uint8_t> original = ReadBuild(b.set, b.variant, b.index);
        ASSERT_FALSE(original.empty());
        const LayoutPatchPlan plan = Plan(b.variant, keys, 1);
        const Extent x = NeededExtent(original, plan);
        std::vector<uint8_t> full = original;
        ASSERT_EQ(PatchLayoutImage(full.data(), static_cast<int>(full.size()), plan),
                  LayoutPatchResult::Done);

        std::vector<size_t> cuts;
        std::vector<size_t> marks = x.sites;
        marks.push_back(x.need);
        marks.push_back(x.sites[0] + 2 * 0x7E); // the last patched scan code
        for (size_t m : marks)
            for (size_t c = m > 300 ? m - 300 : 0; c <= m + 300 && c <= original.size(); ++c)
                cuts.push_back(c);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (size_t cut : cuts)
        {
            // Exactly cut bytes on the heap: a read or write past them is the sanitizer's to catch.
            std::unique_ptr<uint8_t[]> image(new uint8_t[cut ? cut : 1]);
            memcpy(image.get(), original.data(), cut);
            const LayoutPatchResult r = PatchLayoutImage(image.get(), static_cast<int>(cut), plan);
            if (cut >= x.need)
            {
                ASSERT_EQ(r, LayoutPatchResult::Done) << "cut " << cut << " need " << x.need;
                ASSERT_EQ(memcmp(image.get(), full.data(), cut), 0) << "cut " << cut;
            }
            else
                ASSERT_NE(r, LayoutPatchResult::Done) << "cut " << cut << " need " << x.need;
        }
    }
}

TEST(PatchLayoutImage, PlacesPastTheEndAreRefused)
{
    // A small image of its own: the scan-code table pattern at the very end, so every key's place
    // lies outside; an E0 table without its end entry; a decimal pattern shorter than the site.
    const uint8_t scanPattern[] = {0xAA, 0xBB, 0xCC, 0xDD};
    KeyRecord key[] = {{0x02, 0x41, 0, 0}};
    LayoutPatchPlan plan;
    plan.Keys = key;
    plan.KeyCount = 1;
    plan.ScanCodeTable = {scanPattern, 4};
    const uint8_t e0[] = {0x11, 0x00, 0x22, 0x01};
    const uint8_t e1[] = {0x1D, 0x00};
    plan.E0Table = {e0, 4};
    plan.E1Table = {e1, 2};
    {
        uint8_t image[] = {0x1D, 0x00, 0x13, 0x00, 0x00, 0x00, 0x11,
                           0x00, 0x22, 0x01, 0xAA, 0xBB, 0xCC, 0xDD};
        EXPECT_EQ(PatchLayoutImage(image, sizeof image, plan), LayoutPatchResult::OutsideImage);
        key[0].ScanCode = 0x01; // the table's second entry is the pattern's last two bytes: inside
        EXPECT_EQ(PatchLayoutImage(image, sizeof image, plan), LayoutPatchResult::Done);
        EXPECT_EQ(image[12], 0x41);
        EXPECT_EQ(image[13], 0x00);
    }
    {
        // E0 key 0x33 is not in the table, whose walk runs into the image's end before an end entry.
        uint8_t image[] = {0xAA, 0xBB, 0xCC, 0xDD, 0x1D, 0x00, 0x13, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x11, 0x00, 0x22, 0x01, 0x12, 0x00};
        key[0] = {0xE033, 0x133, 0, 0};
        EXPECT_EQ(PatchLayoutImage(image, sizeof image, plan), LayoutPatchResult::OutsideImage);
        key[0] = {0xE011, 0x133, 0, 0}; // found before the end: fine
        EXPECT_EQ(PatchLayoutImage(image, sizeof image, plan), LayoutPatchResult::Done);
        EXPECT_EQ(image[14], 0x33);
        EXPECT_EQ(image[15], 0x01);
        // An entry whose key field would lie past the end.
        uint8_t cut[] = {0xAA, 0xBB, 0xCC, 0xDD, 0x1D, 0x00, 0x13, 0x00,
                         0x00, 0x00, 0x00, 0x00, 0x11, 0x00, 0x22};
        const uint8_t e0short[] = {0x11, 0x00, 0x22};
        plan.E0Table = {e0short, 3};
        EXPECT_EQ(PatchLayoutImage(cut, sizeof cut, plan), LayoutPatchResult::OutsideImage);
        plan.E0Table = {e0, 4};
    }
    {
        const uint8_t dot[] = {0x2E, 0x00};
        LayoutPatchPlan decimal;
        decimal.PatchDecimalKey = 1;
        decimal.DecimalSite = {dot, 2};
        uint8_t image[] = {0x00, 0x00, 0x2E, 0x00};
        EXPECT_EQ(PatchLayoutImage(image, 4, decimal), LayoutPatchResult::OutsideImage);
        uint8_t room[] = {0x2E, 0x00, 0x2E, 0x00};
        EXPECT_EQ(PatchLayoutImage(room, 4, decimal), LayoutPatchResult::Done);
        EXPECT_EQ(room[0], 0x2C);
        EXPECT_EQ(room[2], 0x2C);
    }
    EXPECT_EQ(PatchLayoutImage(nullptr, 10, plan), LayoutPatchResult::PatternNotFound);
}
} // namespace
