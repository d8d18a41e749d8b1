#include "engine/CInstall.h"
#include "ItemPack.h"
#include "StrtabCompiler.h"
#include "payload/StringIds.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
// Items made here with the program's own key, so an installer can be given tables of a test's choice.
class TestPayload
{
public:
    TestPayload() : Payload(ProgramPayload())
    {
        Guard.LoadKeyMaterial(Payload.KeyMaterial, Payload.KeyMaterialLength);
    }

    // Replaces one of the carried tables with one compiled from source lines.
    void SetTable(EmbeddedItem* slot, const std::string& source)
    {
        StrtabCompiler compiler;
        std::string error;
        ASSERT_EQ(compiler.AddSource("test.txt", source, &error), 1) << error;
        std::vector<unsigned char> table;
        uint32_t count = 0;
        compiler.Build(&table, &count);
        Items.push_back(std::make_unique<packer::Bytes>());
        ASSERT_TRUE(packer::PackItem(Guard, table.data(), table.size(), count, Items.back().get()));
        *slot = {Items.back()->data(), static_cast<uint32_t>(Items.back()->size())};
    }

    void Damage(EmbeddedItem* slot)
    {
        Items.push_back(std::make_unique<packer::Bytes>(slot->Bytes, slot->Bytes + slot->Length));
        (*Items.back())[slot->Length / 2] ^= 0x01;
        *slot = {Items.back()->data(), slot->Length};
    }

    CarriedPayload Payload;
    CGuard Guard;
    std::vector<std::unique_ptr<packer::Bytes>> Items;
};

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

std::u16string Fetch(CInstall& install, uint32_t id)
{
    GString text;
    if (!install.GetString(id, text))
        return u"<none>";
    return std::u16string(text.GetW(0), text.GetLength());
}

class LocaleAnswer : public CPlatform
{
public:
    explicit LocaleAnswer(const wchar_t* separator) : Separator(separator) {}
    int GetLocaleText(LCID, LCTYPE item, wchar_t* buffer, int length) override
    {
        if (item != LOCALE_SDECIMAL || !Separator)
            return 0;
        int needed = static_cast<int>(wcslen(Separator)) + 1;
        if (length == 0)
            return needed;
        if (length < needed)
            return 0;
        memcpy(buffer, Separator, needed * sizeof(wchar_t));
        return needed;
    }
    const wchar_t* Separator;
};

struct PlatformScope
{
    explicit PlatformScope(CPlatform* p) { Previous = SetPlatform(p); }
    ~PlatformScope() { SetPlatform(Previous); }
    CPlatform* Previous;
};
} // namespace

TEST(InstallObject, ConstructionGivesTheInitialState)
{
    CInstall install;
    EXPECT_EQ(install.ProcessorArchitecture, 0xFFFF);
    EXPECT_EQ(install.OsCode, 0);
    EXPECT_EQ(install.LayoutVariant, -1);
    EXPECT_EQ(install.DecimalKeyOption, -1);
    EXPECT_EQ(install.LanguageScriptOption, 1u);
    EXPECT_EQ(install.UserValuesOption, 1u);
    EXPECT_EQ(install.DesktopShortcutOption, 1);
    EXPECT_EQ(install.Wizard, nullptr);
    EXPECT_EQ(install.OwnerWindow(), nullptr);
    ASSERT_NE(install.KeyTable, nullptr);
    ASSERT_EQ(install.KeyCount, 146);
    for (int i = 0; i < 146; ++i)
    {
        EXPECT_EQ(install.KeyTable[i].ScanCode, StaticKeyTable[i].ScanCode);
        EXPECT_EQ(install.KeyTable[i].NameId, StaticKeyTable[i].NameId);
        EXPECT_EQ(install.KeyTable[i].AssignedKey, 0);
        EXPECT_EQ(install.KeyTable[i].RemapScanCode, 0);
    }
    EXPECT_EQ(Fetch(install, kIdProductName), u"<none>"); // nothing decoded yet
}

TEST(InstallObject, InitDecodesTheCarriedTables)
{
    LocaleAnswer comma(L",");
    PlatformScope scope(&comma);
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    EXPECT_TRUE(install.Guard.HasKeyMaterial());
    EXPECT_GT(install.CommonTable.Count, 0u);
    EXPECT_GT(install.ExtraTable.Count, 0u);
    EXPECT_GT(install.LanguageTables[0].Count, 0u);
    EXPECT_GT(install.LanguageTables[1].Count, 0u);
    EXPECT_NE(install.Wizard, nullptr);
    EXPECT_EQ(Fetch(install, kIdProductName), u"Ogonek");
    EXPECT_EQ(install.DefaultLanguageId, 0x0415);
    EXPECT_GE(install.LayoutVariant, 0);
    EXPECT_EQ(install.DecimalKeyOption, 0);

    // Finish releases everything; releasing again (teardown) does no harm.
    install.Finish();
    EXPECT_EQ(install.Wizard, nullptr);
    EXPECT_FALSE(install.Guard.HasKeyMaterial());
    EXPECT_EQ(Fetch(install, kIdProductName), u"<none>");
    EXPECT_EQ(Fetch(install, kIdKernelLibrary), u"<none>");
    install.ReleaseTables();
}

TEST(InstallObject, InitFailsOnAnyDamagedTableOrKey)
{
    for (int which = 0; which < 5; ++which)
    {
        TestPayload test;
        EmbeddedItem* slots[4] = {&test.Payload.CommonTable, &test.Payload.ExtraTable,
                                  &test.Payload.LanguageTables[0], &test.Payload.LanguageTables[1]};
        if (which < 4)
            test.Damage(slots[which]);
        else
            test.Payload.KeyMaterialLength = 967;
        CInstall install(test.Payload);
        EXPECT_EQ(install.Init(Instance()), 0) << which;
        EXPECT_EQ(install.Wizard, nullptr) << which; // nothing of the wizard exists after a failed Init
    }
}

TEST(InstallObject, DefaultLanguageFromString86)
{
    struct Case
    {
        const char* text;
        uint16_t expected;
    };
    const Case cases[] = {{"409", 0x0409}, {"", 0}, {"zz", 0}, {"0415", 0x0415}, {"1F415", 0xF415}};
    for (const Case& c : cases)
    {
        TestPayload test;
        test.SetTable(&test.Payload.CommonTable, std::string("86 ") + c.text + "\n88 k\n");
        CInstall install(test.Payload);
        ASSERT_EQ(install.Init(Instance()), 1) << c.text;
        EXPECT_EQ(install.DefaultLanguageId, c.expected) << c.text;
    }
}

TEST(InstallObject, LayoutVariantFromTheVariantLists)
{
    struct Case
    {
        const char* key;
        const char* list0;
        const char* list1;
        const char* list2;
        int expected;
    };
    const Case cases[] = {
        {"qwertz", "a", "b qwertz", "c", 1},
        {"dv", "a", "dv", "dv", 1}, // the first list that holds it wins
        {"dv", "a", "b", "x dv", 2},
        {"dv", "a", "b", "c", 0},
        {"", "", "", "", 0},
        {"QWERTZ", "a", "qwertz", "c", 0}, // case matters
    };
    for (const Case& c : cases)
    {
        TestPayload test;
        test.SetTable(&test.Payload.CommonTable, std::string("86 409\n88 ") + c.key + "\n");
        test.SetTable(&test.Payload.LanguageTables[0], std::string("113 ") + c.list0 + "\n114 " + c.list1 +
                                                           "\n115 " + c.list2 + "\n");
        CInstall install(test.Payload);
        ASSERT_EQ(install.Init(Instance()), 1);
        EXPECT_EQ(install.LayoutVariant, c.expected) << c.key << " in " << c.list1 << "/" << c.list2;
        EXPECT_EQ(install.ChooseLayoutVariant(), c.expected); // chosen once
    }
    CInstall install;
    EXPECT_EQ(install.SetLayoutVariant(3), 3);
    EXPECT_EQ(install.LayoutVariant, -1);
    EXPECT_EQ(install.SetLayoutVariant(2), 2);
    EXPECT_EQ(install.LayoutVariant, 2);
}

TEST(InstallObject, DecimalKeyOptionFromTheUserLocale)
{
    struct Case
    {
        const wchar_t* separator;
        int expected;
    };
    const Case cases[] = {{L",", 0}, {L".", 1}, {L",.", 1}, {nullptr, -1}};
    for (const Case& c : cases)
    {
        LocaleAnswer answer(c.separator);
        PlatformScope scope(&answer);
        CInstall install;
        EXPECT_EQ(install.ChooseDecimalKeyOption(), c.expected);
        EXPECT_EQ(install.DecimalKeyOption, c.expected);
    }
}

TEST(InstallObject, SupportedSystems)
{
    struct Case
    {
        int osCode;
        uint16_t processor;
        int supported;
    };
    const Case cases[] = {{50, 0, 1},  {51, 0, 1},  {51, 9, 0},  {51, 6, 0},   {52, 6, 1},    {52, 9, 1},
                          {60, 0, 1},  {61, 9, 1},  {62, 6, 1},  {63, 9, 1},   {100, 6, 1},   {100, 0xFFFF, 0},
                          {40, 0, 0},  {64, 0, 0},  {101, 0, 0}, {61, 5, 0},   {0, 0, 0}};
    for (const Case& c : cases)
    {
        CInstall install;
        install.OsCode = c.osCode;
        install.ProcessorArchitecture = c.processor;
        EXPECT_EQ(install.IsSupportedSystem(), c.supported) << c.osCode << "/" << c.processor;
    }
}

TEST(InstallObject, TextFetchesFallBackAcrossTables)
{
    TestPayload test;
    test.SetTable(&test.Payload.CommonTable, "1 common\n2 common two\n86 409\n");
    test.SetTable(&test.Payload.LanguageTables[0], "2 english two\n");
    test.SetTable(&test.Payload.LanguageTables[1], "1 polski\n");
    test.SetTable(&test.Payload.ExtraTable, "3 extra\n2 extra two\n146 0A1B\n147 0a1b\n148 0A1\n");
    CInstall install(test.Payload);
    ASSERT_EQ(install.Init(Instance()), 1);
    EXPECT_EQ(Fetch(install, 1), u"common");
    EXPECT_EQ(Fetch(install, 2), u"english two");
    EXPECT_EQ(Fetch(install, 3), u"extra");
    install.UiLanguage = 1;
    EXPECT_EQ(Fetch(install, 1), u"polski");
    EXPECT_EQ(Fetch(install, 2), u"common two");
    EXPECT_EQ(Fetch(install, 4), u"<none>");

    int count = -7;
    unsigned char* bytes = install.GetHexBytes(146, &count);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0x1B);
    free(bytes);
    count = -7;
    EXPECT_EQ(install.GetHexBytes(147, &count), nullptr);
    EXPECT_EQ(count, -7);
    bytes = install.GetHexBytes(148, &count);
    EXPECT_EQ(count, 1);
    free(bytes);
    EXPECT_EQ(install.GetHexBytes(999, &count), nullptr);
}

TEST(InstallObject, LicenceTextsDecode)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    for (int language = 0; language < 2; ++language)
    {
        GString text;
        const EmbeddedItem& item = install.Payload.Licences[language];
        ASSERT_EQ(install.DecodeTextItem(item.Bytes, item.Length, text), 1);
        EXPECT_GT(text.GetLength(), 500);
        EXPECT_NE(static_cast<unsigned char>(text.GetA(0)[0]), 0xEF); // no byte order mark
    }
    GString untouched;
    untouched.AssignA("keep");
    EXPECT_EQ(install.DecodeTextItem(nullptr, 8, untouched), 0);
    EXPECT_EQ(untouched.GetLength(), 4);
}

TEST(KeyTable, SearchesAndNormalisation)
{
    CInstall install;
    KeyRecord* decimal = FindKeyRecord(install.KeyTable, install.KeyCount, 0x53);
    ASSERT_NE(decimal, nullptr);
    EXPECT_EQ(decimal->NameId, 190);
    EXPECT_EQ(FindKeyRecord(install.KeyTable, install.KeyCount, 0), nullptr);
    EXPECT_EQ(FindKeyRecord(install.KeyTable, install.KeyCount, 0x54), nullptr);
    ASSERT_NE(FindDefaultKeyRecord(0xE11D), nullptr);
    EXPECT_EQ(FindDefaultKeyRecord(0xE11D)->AssignedKey, 0x13);

    KeyRecord* q = FindKeyRecord(install.KeyTable, install.KeyCount, 0x10);
    ASSERT_NE(q, nullptr);
    q->AssignedKey = 0x51;
    q->RemapScanCode = 0x10;
    KeyRecord* caps = FindKeyRecord(install.KeyTable, install.KeyCount, 0x3A);
    caps->AssignedKey = 0xA2;
    caps->RemapScanCode = 255;
    EXPECT_EQ(NormaliseKeyTable(install.KeyTable, install.KeyCount), 1);
    EXPECT_EQ(q->AssignedKey, 0);
    EXPECT_EQ(q->RemapScanCode, 0);
    EXPECT_EQ(caps->AssignedKey, 0xA2);
    EXPECT_EQ(caps->RemapScanCode, 255);
    EXPECT_EQ(NormaliseKeyTable(nullptr, 146), 0);
}

TEST(InstallObject, EveryNamedTextResolvesFromTheCarriedTables)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    struct Named
    {
        const char* name;
        uint32_t id;
        bool language;
    };
#define OGONEK_NAMED(name, id, table) {#name, id, std::string(#table) == "Language"},
    const Named named[] = {OGONEK_STRING_IDS(OGONEK_NAMED)};
#undef OGONEK_NAMED
    for (uint32_t language = 0; language < 2; ++language)
    {
        install.UiLanguage = language;
        for (const Named& n : named)
        {
            GString text;
            EXPECT_EQ(install.GetString(n.id, text), 1) << n.name << " in language " << language;
            if (n.language)
            {
                EXPECT_NE(install.LanguageTables[language].Find(n.id), nullptr) << n.name;
            }
        }
    }
    // The patterns are the ones the layout generator found, never the provisional ones.
    for (uint32_t id = kIdDecimalKeyPattern; id <= kIdDecimalKeyPattern + 5; ++id)
    {
        int count = 0;
        unsigned char* bytes = install.GetHexBytes(id, &count);
        EXPECT_NE(bytes, nullptr) << id;
        EXPECT_GE(count, 4) << id;
        free(bytes);
    }
}

TEST(InstallObject, CompanionDocumentsDecode)
{
    CInstall install;
    ASSERT_EQ(install.Init(Instance()), 1);
    struct Doc
    {
        const EmbeddedItem* item;
        const char* start;
    };
    const Doc docs[] = {{&install.Payload.FileA, "%PDF-"}, {&install.Payload.FileB, "%PDF-"},
                        {&install.Payload.FileD, "<!DOCTYPE html>"}};
    for (const Doc& d : docs)
    {
        uint32_t length = d.item->Length;
        unsigned char* content = install.Guard.DecodeItem(d.item->Bytes, &length);
        ASSERT_NE(content, nullptr) << d.start;
        ASSERT_GT(length, strlen(d.start));
        EXPECT_EQ(memcmp(content, d.start, strlen(d.start)), 0) << d.start;
        free(content);
    }
}
