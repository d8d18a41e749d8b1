// The program's own tables, as the build compiled them from content/strings/: every id the code
// names has its text in the right table, and the templates take the values their callers pass.
#include "StrtabCompiler.h"
#include "payload/KeyTable.h"
#include "payload/StringIds.h"
#include "payload/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

extern const unsigned char PlainStrings_common[];
extern const uint32_t PlainStrings_commonLength, PlainStrings_commonCount;
extern const unsigned char PlainStrings_extra[];
extern const uint32_t PlainStrings_extraLength, PlainStrings_extraCount;
extern const unsigned char PlainStrings_language0[];
extern const uint32_t PlainStrings_language0Length, PlainStrings_language0Count;
extern const unsigned char PlainStrings_language1[];
extern const uint32_t PlainStrings_language1Length, PlainStrings_language1Count;

namespace
{

enum Kind
{
    Common,
    Language,
    Extra
};

struct Declared
{
    const char* Name;
    uint32_t Id;
    Kind Table;
};

#define OGONEK_LIST_STRING_ID(name, id, table) {#name, id, table},
const Declared kDeclared[] = {OGONEK_STRING_IDS(OGONEK_LIST_STRING_ID)};
#undef OGONEK_LIST_STRING_ID

class ProgramTables : public testing::Test
{
  protected:
    static void Load(StringTable* table, const unsigned char* bytes, uint32_t length, uint32_t count)
    {
        ASSERT_EQ(CheckStringTable(bytes, length, count), 1);
        unsigned char* copy = static_cast<unsigned char*>(std::malloc(length));
        std::memcpy(copy, bytes, length);
        ASSERT_EQ(table->Attach(copy, count), 1);
    }

    void SetUp() override
    {
        Load(&CommonTable, PlainStrings_common, PlainStrings_commonLength, PlainStrings_commonCount);
        Load(&ExtraTable, PlainStrings_extra, PlainStrings_extraLength, PlainStrings_extraCount);
        Load(&LanguageTables[0], PlainStrings_language0, PlainStrings_language0Length,
             PlainStrings_language0Count);
        Load(&LanguageTables[1], PlainStrings_language1, PlainStrings_language1Length,
             PlainStrings_language1Count);
    }

    // The text as the program would see it with the given interface language.
    std::u16string Text(uint32_t id, int language = 0) const
    {
        const unsigned char* block = LanguageTables[language].Find(id);
        if (block == nullptr)
        {
            block = CommonTable.Find(id);
        }
        if (block == nullptr)
        {
            block = ExtraTable.Find(id);
        }
        return Decode(block);
    }

    static std::u16string Decode(const unsigned char* block)
    {
        std::u16string out;
        if (block == nullptr)
        {
            return out;
        }
        const uint32_t header = ReadLe32(block);
        const uint32_t n = header & kCountedLengthMask;
        if (header & kCountedUtf8Flag)
        {
            std::u32string chars;
            EXPECT_EQ(DecodeUtf8(std::string(reinterpret_cast<const char*>(block + 4), n), &chars), 1);
            for (char32_t c : chars)
            {
                out.push_back(static_cast<char16_t>(c));
            }
        }
        else
        {
            for (uint32_t i = 0; i < n; ++i)
            {
                out.push_back(static_cast<char16_t>(block[4 + 2 * i] | block[5 + 2 * i] << 8));
            }
        }
        return out;
    }

    static std::set<uint32_t> IdsOf(const StringTable& table)
    {
        std::set<uint32_t> ids;
        for (uint32_t i = 0; i < table.Count; ++i)
        {
            ids.insert(ReadLe32(table.IndexStart + 8 * i));
        }
        return ids;
    }

    StringTable CommonTable;
    StringTable ExtraTable;
    StringTable LanguageTables[2];
};

TEST_F(ProgramTables, EveryDeclaredIdHasItsTextInItsTable)
{
    std::map<uint32_t, Kind> kinds;
    for (const Declared& d : kDeclared)
    {
        SCOPED_TRACE(d.Name);
        // Two names for one id must agree on the table.
        auto seen = kinds.emplace(d.Id, d.Table);
        EXPECT_EQ(seen.first->second, d.Table);
        const bool common = CommonTable.Find(d.Id) != nullptr;
        const bool extra = ExtraTable.Find(d.Id) != nullptr;
        const bool en = LanguageTables[0].Find(d.Id) != nullptr;
        const bool pl = LanguageTables[1].Find(d.Id) != nullptr;
        EXPECT_EQ(common, d.Table == Common);
        EXPECT_EQ(extra, d.Table == Extra);
        EXPECT_EQ(en, d.Table == Language);
        EXPECT_EQ(pl, d.Table == Language);
    }
}

TEST_F(ProgramTables, NoTableHoldsAnUndeclaredId)
{
    std::set<uint32_t> declared;
    for (const Declared& d : kDeclared)
    {
        declared.insert(d.Id);
    }
    for (const StringTable* table : {&CommonTable, &ExtraTable, &LanguageTables[0], &LanguageTables[1]})
    {
        for (uint32_t id : IdsOf(*table))
        {
            EXPECT_TRUE(declared.count(id)) << "id " << id << " has no name in StringIds.h";
        }
    }
    EXPECT_EQ(IdsOf(LanguageTables[0]), IdsOf(LanguageTables[1]));
}

TEST_F(ProgramTables, EveryKeyRecordHasAName)
{
    // Every record of the constant key table but the terminator names its key, and the name is
    // there in both interface languages.
    int named = 0;
    for (const KeyRecord& record : StaticKeyTable)
    {
        if (record.NameId == 0)
        {
            continue;
        }
        ++named;
        const uint32_t id = record.NameId;
        EXPECT_TRUE(id == kIdKeyNameNone || id == kIdKeyNameDisabled ||
                    (id >= kIdKeyNameFirst && id <= kIdKeyNameLast))
            << id;
        for (int language = 0; language < 2; ++language)
        {
            EXPECT_FALSE(Text(id, language).empty()) << "key name " << id << ", language " << language;
        }
    }
    EXPECT_EQ(named, kKeyCount - 1);
}

// The conversions of a template in order, each with its flags, width and size ("04x", "s", "u").
std::string Directives(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != u'%')
        {
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'%')
        {
            ++i;
            continue;
        }
        std::string d;
        while (++i < text.size() && std::strchr("-+ 0#$`0123456789.*hlL", static_cast<char>(text[i])) &&
               text[i] < 0x80)
        {
            d.push_back(static_cast<char>(text[i]));
        }
        if (i < text.size() && text[i] < 0x80)
        {
            d.push_back(static_cast<char>(text[i]));
        }
        out += (out.empty() ? "" : " ") + d;
    }
    return out;
}

TEST_F(ProgramTables, TemplatesTakeTheValuesTheirCallersPass)
{
    const struct
    {
        uint32_t Id;
        const char* Expected;
    } templates[] = {
        {kIdAssociatedProgramCommand, "s s"}, {kIdPreviousLayoutTemplate, "04x s"},
        {kIdUninstallerTitleTemplate, "s"},   {kIdRunScriptCommand, "s"},
        {kIdLanguageScript, "04x s s"},       {kIdLanguageScriptWin8, "s 04x s s 04x u"},
        {kIdRemovalScriptLegacy, "s s"},      {kIdRemovalScript, "s"},
        {kIdLinkTextTemplate, "s s"},         {kIdWelcomeTitle, "s"},
        {kIdMaintenanceTitle, "s"},           {kIdInputLanguageLabel, "s"},
        {kIdDefaultInputCheck, "s"},          {kIdUninstallQuestion, "s"},
        {kIdFinishBodyBeforeVista, "s"},
    };
    for (const auto& t : templates)
    {
        for (int language = 0; language < 2; ++language)
        {
            EXPECT_EQ(Directives(Text(t.Id, language)), t.Expected)
                << "id " << t.Id << ", language " << language;
        }
    }
}

TEST_F(ProgramTables, DefaultsReadAtStartUp)
{
    // The default input language is a hexadecimal number.
    const std::u16string language = Text(kIdDefaultLanguageId);
    EXPECT_EQ(std::stoul(std::string(language.begin(), language.end()), nullptr, 16), 0x0415u);
    // The variant key picks variant 0 in both languages: only the first variant name contains it.
    const std::u16string key = Text(kIdVariantKey);
    ASSERT_FALSE(key.empty());
    for (int language = 0; language < 2; ++language)
    {
        EXPECT_NE(Text(kIdVariantName0, language).find(key), std::u16string::npos) << language;
        EXPECT_EQ(Text(kIdVariantName1, language).find(key), std::u16string::npos) << language;
        EXPECT_EQ(Text(kIdVariantName2, language).find(key), std::u16string::npos) << language;
    }
    // The PDF viewer test searches an upper-cased path.
    const std::u16string needle = Text(kIdPdfViewerNeedle);
    ASSERT_FALSE(needle.empty());
    for (char16_t c : needle)
    {
        EXPECT_FALSE(c >= u'a' && c <= u'z');
    }
}

TEST_F(ProgramTables, PatternsAreHexadecimalPairs)
{
    for (uint32_t id = kIdDecimalKeyPattern; id <= kIdE1TablePattern; ++id)
    {
        const std::u16string text = Text(id);
        const std::string narrow(text.begin(), text.end());
        int count = -1;
        unsigned char* bytes = ParseHexPattern(narrow.data(), static_cast<int>(narrow.size()), &count);
        ASSERT_NE(bytes, nullptr) << id;
        EXPECT_EQ(narrow.size() % 2, 0u) << id;
        EXPECT_GE(count, 4) << id;
        std::free(bytes);
    }
}

static_assert(kIdFinishValue == kIdFileCName, "the finishing value and file C share their name");
static_assert(ScanCodeTablePatternId(2) == kIdScanCodeTablePattern2, "patterns follow the variants");

} // namespace
