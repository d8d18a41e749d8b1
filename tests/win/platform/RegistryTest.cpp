// The registry helpers against the real registry: what they leave there and what they read back.
#include "PlatformTestSupport.h"
#include "payload/StringIds.h"
#include "platform/Registry.h"

#include <cstdlib>
#include <cstring>

namespace
{
struct StringCase
{
    const char* Name;
    DWORD Type;
    const char* Bytes; // stored as they stand, little-endian UTF-16 spelt out
    DWORD Size;
    int Result;
    std::u16string Expected;
};

const StringCase kStringCases[] = {
    {"terminated", REG_SZ, "a\0b\0c\0\0\0", 8, 1, u"abc"},
    {"empty value", REG_SZ, "", 0, 1, u""},
    {"only a terminator", REG_SZ, "\0\0", 2, 1, u""},
    {"no terminator stored", REG_SZ, "a\0b\0c\0", 6, 1, u"abc"},
    {"odd size", REG_SZ, "a\0b\0c\0\0", 7, 1, u"abc"},
    {"inner zero kept", REG_SZ, "a\0\0\0c\0\0\0", 8, 1, std::u16string(u"a\0c", 3)},
    {"expandable text", REG_EXPAND_SZ, "a\0b\0c\0\0\0", 8, 0, u""},
    {"multiple texts", REG_MULTI_SZ, "a\0\0\0\0\0", 6, 0, u""},
    {"binary", REG_BINARY, "a\0b\0c\0\0\0", 8, 0, u""},
    {"dword", REG_DWORD, "\1\0\0\0", 4, 0, u""},
};
} // namespace

TEST_F(RegistryTest, QueryStringValueTakesOnlyRegSzAndDropsOnlyTheStoredTerminator)
{
    for (const StringCase& c : kStringCases)
    {
        SCOPED_TRACE(c.Name);
        Put(L"v", c.Type, c.Bytes, c.Size);
        GString text;
        text.AssignA("left over"); // narrow and full: must come back wide, and empty on failure
        EXPECT_EQ(QueryStringValue(Key, u"v", text), c.Result);
        EXPECT_TRUE(text.IsWide());
        EXPECT_EQ(Text(text), c.Expected);
    }
    GString text;
    EXPECT_EQ(QueryStringValue(Key, u"missing", text), 0);
    EXPECT_EQ(QueryStringValue(nullptr, u"v", text), 0);
    EXPECT_EQ(QueryStringValue(Key, nullptr, text), 0);
    Put(L"", REG_SZ, L"default", 16);
    EXPECT_EQ(QueryStringValue(Key, u"", text), 0); // the default value is never asked for
}

TEST_F(RegistryTest, SetStringValueWritesRegSzWithItsTerminator)
{
    GString text;
    text.AssignA("za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"); // UTF-8 "zażółć", narrow on purpose
    ASSERT_EQ(SetStringValue(Key, u"v", text), 1);
    DWORD type = 0;
    const std::string stored = Stored(L"v", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const char16_t expected[] = u"zażółć";
    ASSERT_EQ(stored.size(), sizeof(expected)); // 2 x (6 + 1)
    EXPECT_EQ(memcmp(stored.data(), expected, sizeof(expected)), 0);

    GString empty;
    ASSERT_EQ(SetStringValue(Key, u"e", empty), 1);
    EXPECT_EQ(Stored(L"e", &type), std::string("\0\0", 2));

    EXPECT_EQ(SetStringValue(nullptr, u"v", text), 0);
    EXPECT_EQ(SetStringValue(Key, u"", text), 0);
    EXPECT_EQ(SetStringValue(Key, nullptr, text), 0);
    EXPECT_EQ(ValueCount(), 2u);
}

TEST_F(RegistryTest, DwordValuesAreFourByteRegDword)
{
    ASSERT_EQ(SetDwordValue(Key, u"d", 0x12345678), 1);
    DWORD type = 0;
    EXPECT_EQ(Stored(L"d", &type), std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    uint32_t value = 0xdeadbeef;
    EXPECT_EQ(QueryDwordValue(Key, u"d", &value), 1);
    EXPECT_EQ(value, 0x12345678u);

    struct
    {
        const char* Name;
        DWORD Type;
        DWORD Size;
    } refused[] = {
        {"binary of four bytes", REG_BINARY, 4}, {"short dword", REG_DWORD, 2}, {"long dword", REG_DWORD, 8}};
    const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (const auto& c : refused)
    {
        SCOPED_TRACE(c.Name);
        Put(L"r", c.Type, bytes, c.Size);
        value = 0xdeadbeef;
        EXPECT_EQ(QueryDwordValue(Key, u"r", &value), 0);
        EXPECT_EQ(value, 0xdeadbeefu); // written only on success
    }
    EXPECT_EQ(QueryDwordValue(Key, u"missing", &value), 0);
}

TEST_F(RegistryTest, QueryBinaryValueGivesANewBufferOfANonEmptyBinaryValue)
{
    const unsigned char map[16] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x1D, 0, 0x3A, 0};
    ASSERT_EQ(SetBinaryValue(Key, u"b", map, sizeof(map)), 1);
    DWORD type = 0;
    EXPECT_EQ(Stored(L"b", &type), std::string(reinterpret_cast<const char*>(map), sizeof(map)));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

    uint32_t size = 0xdeadbeef;
    unsigned char* read = QueryBinaryValue(Key, u"b", &size);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(size, 16u);
    EXPECT_EQ(memcmp(read, map, 16), 0);
    free(read);

    Put(L"empty", REG_BINARY, "", 0);
    Put(L"dword", REG_DWORD, map, 4);
    Put(L"text", REG_SZ, L"x", 4);
    for (const wchar_t* name : {L"empty", L"dword", L"text", L"missing"})
    {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(name));
        size = 0xdeadbeef;
        EXPECT_EQ(QueryBinaryValue(Key, U(name), &size), nullptr);
        EXPECT_EQ(size, 0u);
    }
}

TEST_F(RegistryTest, StringValueEqualsIsExactAndCaseSensitive)
{
    Put(L"v", REG_SZ, L"Polish (Ogonek)", 32);
    Put(L"x", REG_EXPAND_SZ, L"Polish (Ogonek)", 32);
    struct
    {
        const char16_t* Text;
        int Equal;
    } cases[] = {{u"Polish (Ogonek)", 1},  {u"polish (ogonek)", 0}, {u"POLISH (OGONEK)", 0},
                 {u"Polish (Ogonek) ", 0}, {u"Polish (Ogonek", 0},  {u"", 0}};
    for (const auto& c : cases)
    {
        GString text;
        text.AssignW(c.Text);
        EXPECT_EQ(StringValueEquals(Key, u"v", text), c.Equal)
            << testing::PrintToString(std::u16string(c.Text));
    }
    GString same;
    same.AssignA("Polish (Ogonek)"); // the same text held as UTF-8
    EXPECT_EQ(StringValueEquals(Key, u"v", same), 1);
    EXPECT_EQ(StringValueEquals(Key, u"x", same), 0); // not REG_SZ
    EXPECT_EQ(StringValueEquals(Key, u"missing", same), 0);
}

TEST_F(RegistryTest, KeysAreOpenedOrCreatedAndValuesDeleted)
{
    EXPECT_FALSE(OpenKey(Key, u"child", kKeyRead));
    EXPECT_EQ(SubKeyCount(), 0u); // opening never creates
    {
        CKey made = CreateKey(Key, u"child", kKeyReadWrite);
        ASSERT_TRUE(made);
        ASSERT_EQ(SetDwordValue(made.Get(), u"n", 7), 1);
    }
    {
        CKey again = CreateKey(Key, u"child", kKeyRead); // an existing key is opened as it is
        ASSERT_TRUE(again);
        uint32_t n = 0;
        EXPECT_EQ(QueryDwordValue(again.Get(), u"n", &n), 1);
        EXPECT_EQ(n, 7u);
    }
    CKey opened = OpenKey(Key, u"child", kKeyWrite);
    ASSERT_TRUE(opened);
    EXPECT_EQ(DeleteValue(opened.Get(), u"n"), 1);
    EXPECT_EQ(DeleteValue(opened.Get(), u"n"), 0);
    EXPECT_EQ(DeleteValue(opened.Get(), u""), 0);
    EXPECT_EQ(DeleteValue(nullptr, u"n"), 0);

    for (const char16_t* name : {static_cast<const char16_t*>(nullptr), u""})
    {
        EXPECT_FALSE(OpenKey(Key, name, kKeyRead));
        EXPECT_FALSE(CreateKey(Key, name, kKeyWrite));
    }
    EXPECT_FALSE(OpenKey(nullptr, u"child", kKeyRead));
    EXPECT_FALSE(CreateKey(nullptr, u"other", kKeyWrite));
    EXPECT_EQ(SubKeyCount(), 1u);
}

TEST_F(RegistryTest, ByIdFormsUseTheTextsOfTheirIds)
{
    ASSERT_EQ(Install.SetStringValueByIds(Key, kIdLayoutTextValue, kIdLayoutName), 1);
    DWORD type = 0;
    const std::u16string expected = u"Polish (Ogonek)";
    EXPECT_EQ(Stored(L"Layout Text", &type),
              std::string(reinterpret_cast<const char*>(expected.c_str()), 2 * (expected.size() + 1)));
    GString text;
    ASSERT_EQ(Install.QueryStringValueById(Key, kIdLayoutTextValue, text), 1);
    EXPECT_EQ(Text(text), expected);
    EXPECT_EQ(Install.StringValueEqualsById(Key, kIdLayoutTextValue, text), 1);

    // The name comes from a local text, so ScratchText itself may be the data.
    Install.ScratchText.AssignW(u"from scratch");
    ASSERT_EQ(Install.SetStringValueById(Key, kIdLayoutFileValue, Install.ScratchText), 1);
    ASSERT_EQ(QueryStringValue(Key, u"Layout File", text), 1);
    EXPECT_EQ(Text(text), u"from scratch");

    ASSERT_EQ(Install.SetDwordValueById(Key, kIdFamilyCountValue, 3), 1);
    uint32_t count = 0;
    EXPECT_EQ(Install.QueryDwordValueById(Key, kIdFamilyCountValue, &count), 1);
    EXPECT_EQ(count, 3u);
    ASSERT_EQ(Install.SetBinaryValueById(Key, kIdKeyAssignmentsValue, "\1\2", 2), 1);
    uint32_t size = 0;
    unsigned char* bytes = Install.QueryBinaryValueById(Key, kIdKeyAssignmentsValue, &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, 2u);
    free(bytes);
    EXPECT_EQ(Install.DeleteValueById(Key, kIdFamilyCountValue), 1);
    EXPECT_EQ(ValueCount(), 3u);

    {
        CKey made = Install.CreateKeyById(Key, kIdLayoutKlid, kKeyWrite);
        ASSERT_TRUE(made);
    }
    EXPECT_TRUE(Install.OpenKeyById(Key, kIdLayoutKlid, kKeyRead));
    EXPECT_EQ(Install.DeleteKeyById(Key, kIdLayoutKlid), 1);
    EXPECT_FALSE(Install.OpenKeyById(Key, kIdLayoutKlid, kKeyRead));
}

// An empty name would reach the key's default value, or for a key deletion the key itself: a missing
// text must stop the call before the registry sees it.
TEST_F(RegistryTest, AnIdWithoutTextFailsWithoutTouchingTheRegistry)
{
    GString data;
    data.AssignW(u"data");
    uint32_t value = 0xdeadbeef;
    uint32_t size = 0xdeadbeef;
    GString text;
    Put(L"", REG_SZ, L"default", 16);
    const DWORD valuesBefore = ValueCount();

    EXPECT_FALSE(Install.OpenKeyById(HKEY_CURRENT_USER, kIdWithoutText, kKeyRead));
    EXPECT_FALSE(Install.CreateKeyById(Key, kIdWithoutText, kKeyWrite));
    EXPECT_EQ(Install.SetBinaryValueById(Key, kIdWithoutText, "\1", 1), 0);
    EXPECT_EQ(Install.SetDwordValueById(Key, kIdWithoutText, 1), 0);
    EXPECT_EQ(Install.SetStringValueById(Key, kIdWithoutText, data), 0);
    EXPECT_EQ(Install.SetStringValueByIds(Key, kIdWithoutText, kIdLayoutName), 0);
    EXPECT_EQ(Install.SetStringValueByIds(Key, kIdLayoutTextValue, kIdWithoutText), 0);
    EXPECT_EQ(Install.QueryDwordValueById(Key, kIdWithoutText, &value), 0);
    EXPECT_EQ(Install.QueryBinaryValueById(Key, kIdWithoutText, &size), nullptr);
    EXPECT_EQ(Install.QueryStringValueById(Key, kIdWithoutText, text), 0);
    EXPECT_EQ(Install.StringValueEqualsById(Key, kIdWithoutText, data), 0);
    EXPECT_EQ(Install.DeleteValueById(Key, kIdWithoutText), 0);
    EXPECT_EQ(Install.DeleteKeyById(Key, kIdWithoutText), 0);
    EXPECT_EQ(Install.SetMachineStringByIds(kIdWithoutText, kIdLayoutTextValue, kIdLayoutName), 0);

    EXPECT_EQ(value, 0xdeadbeefu);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ValueCount(), valuesBefore);
    EXPECT_EQ(SubKeyCount(), 0u);
    DWORD type = 0;
    EXPECT_EQ(Stored(L"", &type), std::string(reinterpret_cast<const char*>(L"default"), 16));
    HKEY still = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &still), ERROR_SUCCESS);
    RegCloseKey(still);
}

// The finishing value's key exists on every Windows and is opened, never created.
TEST_F(RegistryTest, SetMachineStringByIdsWritesIntoAnExistingMachineKey)
{
    ASSERT_EQ(Install.SetMachineStringByIds(kIdFinishKey, kIdFinishValue, kIdFinishCommand), 1);
    GString key, name, expected;
    Install.GetString(kIdFinishKey, key);
    Install.GetString(kIdFinishValue, name);
    Install.GetString(kIdFinishCommand, expected);
    HKEY runOnce = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(Text(key)), 0, KEY_ALL_ACCESS, &runOnce), ERROR_SUCCESS);
    GString written;
    EXPECT_EQ(QueryStringValue(runOnce, name.GetW(0), written), 1);
    EXPECT_EQ(Text(written), Text(expected));
    // Left there, Wine would run it at its next start.
    RegDeleteValueW(runOnce, W(Text(name)));
    RegCloseKey(runOnce);

    GString layouts;
    Install.GetString(kIdLayoutsKey, layouts); // a relative key name, not there under the root
    EXPECT_EQ(Install.SetMachineStringByIds(kIdLayoutsKey, kIdLayoutTextValue, kIdLayoutName), 0);
    HKEY missing = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(Text(layouts)), 0, KEY_READ, &missing), ERROR_SUCCESS);
}
