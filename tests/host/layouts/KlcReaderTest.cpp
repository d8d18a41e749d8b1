// The .klc reader and the checks the generator makes on a source before it builds anything.
#include "Klc.h"
#include "LayoutModel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

const char kSource[] = "KBD\tkbdtest\t\"Test Layout\"\r\n"
                       "COPYRIGHT\t\"(c) test\"\r\n"
                       "VERSION\t1.9\r\n"
                       "SHIFTSTATE\r\n"
                       "0\t//Column 4\r\n"
                       "1\r\n"
                       "2\r\n"
                       "6\r\n"
                       "7\r\n"
                       "LAYOUT\t\t;an extra '@' at the end is a dead key\r\n"
                       "1e\tA\t5\ta\tA\t-1\t0105\t0104\t// a, A, ą, Ą\r\n"
                       "28\tOEM_7\t0\t0027\t0022\t-1\t00b4@\t-1\r\n"
                       "53\tDECIMAL\t0\t002e\t002e\t-1\t-1\t-1\r\n"
                       "DEADKEY\t00b4\r\n"
                       "0061\t00e1\t// a -> á\r\n"
                       "KEYNAME\r\n"
                       "01\tEsc\r\n"
                       "36\t\"Right Shift\"\r\n"
                       "KEYNAME_DEAD\r\n"
                       "00b4\t\"ACUTE ACCENT\"\r\n"
                       "DESCRIPTIONS\r\n"
                       "0409\tTest Layout (extended)\r\n"
                       "0415\tUkład testowy\r\n"
                       "ENDKBD\r\n";

std::vector<uint8_t> Utf16Bom(const std::u16string& text)
{
    std::vector<uint8_t> b = {0xFF, 0xFE};
    for (char16_t c : text)
    {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
    }
    return b;
}

std::u16string Decode(const std::string& utf8)
{
    std::u16string t;
    EXPECT_TRUE(klc::DecodeKlcBytes(std::vector<uint8_t>(utf8.begin(), utf8.end()), t));
    return t;
}

TEST(KlcReader, ReadsUtf16WithByteOrderMarkAndUtf8Alike)
{
    const std::u16string text = Decode(kSource);
    std::u16string fromUtf16;
    ASSERT_TRUE(klc::DecodeKlcBytes(Utf16Bom(text), fromUtf16));
    EXPECT_EQ(fromUtf16, text);

    klc::KlcLayout l;
    std::string error;
    ASSERT_TRUE(klc::ParseKlc(fromUtf16, l, error)) << error;
    EXPECT_EQ(l.name, "kbdtest");
    EXPECT_EQ(l.description, u"Test Layout");
    EXPECT_EQ(l.version, u"1.9");
    EXPECT_EQ(l.shiftStates, (std::vector<int>{0, 1, 2, 6, 7}));
    ASSERT_EQ(l.keys.size(), 3u);
    const klc::KlcKey& a = l.keys[0];
    EXPECT_EQ(a.scanCode, 0x1E);
    EXPECT_EQ(a.vk, 'A');
    EXPECT_EQ(a.capFlags, klc::kCapLock | klc::kCapLockAltGr);
    EXPECT_EQ(a.chars[0].ch, u'a');
    EXPECT_FALSE(a.chars[2].defined);
    EXPECT_EQ(a.chars[3].ch, u'ą');
    EXPECT_EQ(a.chars[4].ch, u'Ą');
    const klc::KlcKey& q = l.keys[1];
    EXPECT_EQ(q.vk, 0xDE);
    EXPECT_TRUE(q.chars[3].dead);
    EXPECT_EQ(q.chars[3].ch, 0xB4);
    ASSERT_EQ(l.deadKeys.size(), 1u);
    EXPECT_EQ(l.deadKeys[0].combinations[0], std::make_pair(u'a', u'á'));
    ASSERT_EQ(l.keyNames.size(), 2u);
    EXPECT_EQ(l.keyNames[1].name, u"Right Shift");
    EXPECT_EQ(l.keyNamesDead[0].code, 0xB4);
    ASSERT_EQ(l.descriptions.size(), 2u);
    EXPECT_EQ(l.descriptions[0].text, u"Test Layout (extended)");
    EXPECT_EQ(l.descriptions[1].langId, 0x0415);
    EXPECT_EQ(l.descriptions[1].text, u"Układ testowy");
}

struct BadSource
{
    const char* from;
    const char* to;
    const char* why;
};

class KlcReaderRefuses : public testing::TestWithParam<BadSource>
{
};

TEST_P(KlcReaderRefuses, WithTheLineNumber)
{
    std::string text = kSource;
    size_t at = text.find(GetParam().from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::strlen(GetParam().from), GetParam().to);
    klc::KlcLayout l;
    std::string error;
    EXPECT_FALSE(klc::ParseKlc(Decode(text), l, error)) << GetParam().why;
    EXPECT_NE(error.find("line"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Cases, KlcReaderRefuses,
                         testing::Values(BadSource{"1e\tA\t5", "1e\tNOSUCHKEY\t5", "unknown virtual key"},
                                         BadSource{"1e\tA\t5", "1e\tA\tSGCap", "SGCap rows"},
                                         BadSource{"0105\t0104", "0105\t01045", "a character of five digits"},
                                         BadSource{"53\tDECIMAL", "1e\tDECIMAL", "a scan code twice"},
                                         BadSource{"7\r\n", "8\r\n", "a shift state with Kana"},
                                         BadSource{"ENDKBD\r\n", "", "no ENDKBD"},
                                         BadSource{"DEADKEY\t00b4\r\n", "LIGATURE\r\n", "ligatures"}));

// The generator refuses a source that would give a library the installer cannot patch or that
// types nothing for a dead key.
TEST(LayoutModel, RefusesSourcesTheInstallerCannotPatch)
{
    struct Case
    {
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {"53\tDECIMAL\t0\t002e\t002e", "53\tDECIMAL\t0\t066b\t002e"}, // a two-byte decimal character
        {"53\tDECIMAL\t0\t002e\t002e", "53\tDECIMAL\t0\t002e\t-1"},   // no shifted decimal character
        {"53\tDECIMAL\t0\t002e\t002e\t-1\t-1\t-1\r\n", ""},           // no decimal key at all
        {"DEADKEY\t00b4\r\n0061\t00e1\t// a -> á\r\n", ""},           // a dead key without its section
    };
    for (const Case& c : cases)
    {
        std::string text = kSource;
        size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::strlen(c.from), c.to);
        klc::KlcLayout l;
        std::string error;
        ASSERT_TRUE(klc::ParseKlc(Decode(text), l, error)) << error;
        kbd::LayoutModel m;
        EXPECT_FALSE(kbd::BuildLayoutModel(l, m, error)) << c.to;
    }
    klc::KlcLayout l;
    std::string error;
    ASSERT_TRUE(klc::ParseKlc(Decode(kSource), l, error));
    kbd::LayoutModel m;
    EXPECT_TRUE(kbd::BuildLayoutModel(l, m, error)) << error;
    EXPECT_EQ(kbd::DefaultScanCodes()[0x7F], 0xEC) << "the default table has all 128 entries";
}

} // namespace
