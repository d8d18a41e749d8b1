// Upper case: every unit of the Basic Multilingual Plane against Unicode 5.2's simple mapping.
#include "text/CaseMap.h"
#include "text/GString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return lines;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, f))
        lines.push_back(buffer);
    fclose(f);
    return lines;
}

// The mapping as Unicode 5.2 had it: today's uppercase field, for pairs assigned by then.
bool Unicode52Upper(std::vector<unsigned>& upper)
{
    const std::string dir = OGONEK_UNICODE_DIR;
    std::vector<bool> assigned(0x10000);
    const std::vector<std::string> ages = ReadLines(dir + "/DerivedAge.txt");
    for (const std::string& line : ages)
    {
        unsigned first, last, major, minor;
        if (line.empty() || line[0] == '#')
            continue;
        if (line.find("..") != std::string::npos)
        {
            if (sscanf(line.c_str(), "%x..%x ; %u.%u", &first, &last, &major, &minor) != 4)
                continue;
        }
        else if (sscanf(line.c_str(), "%x ; %u.%u", &first, &major, &minor) == 3)
            last = first;
        else
            continue;
        if (major < 5 || (major == 5 && minor <= 2))
            for (unsigned c = first; c <= last && c < 0x10000; ++c)
                assigned[c] = true;
    }
    upper.resize(0x10000);
    for (unsigned c = 0; c < 0x10000; ++c)
        upper[c] = c;
    const std::vector<std::string> data = ReadLines(dir + "/UnicodeData.txt");
    for (const std::string& line : data)
    {
        // Field 12 (from 0) is the simple uppercase mapping.
        size_t pos = 0;
        for (int field = 0; field < 12 && pos != std::string::npos; ++field)
            pos = line.find(';', pos + (field ? 1 : 0));
        if (pos == std::string::npos || line[pos + 1] == ';')
            continue;
        const unsigned c = static_cast<unsigned>(strtoul(line.c_str(), nullptr, 16));
        const unsigned u = static_cast<unsigned>(strtoul(line.c_str() + pos + 1, nullptr, 16));
        if (c < 0x10000 && u < 0x10000 && assigned[c] && assigned[u])
            upper[c] = u;
    }
    return !ages.empty() && !data.empty();
}
} // namespace

TEST(CaseMap, EveryUnitOfThePlane)
{
    std::vector<unsigned> upper;
    ASSERT_TRUE(Unicode52Upper(upper)) << "cannot read the Unicode data in " << OGONEK_UNICODE_DIR;
    ASSERT_EQ(upper[0x0061], 0x0041u);
    ASSERT_EQ(upper[0x0265], 0x0265u); // its capital came with 6.0
    int mapped = 0;
    for (unsigned c = 0; c < 0x10000; ++c)
    {
        unsigned expected = upper[c];
        if (c == 0x00B5 || c == 0x03D0 || c == 0x03D5 || c == 0x03D6 || c == 0x03F0 || c == 0x03F1)
            expected = c;
        const unsigned got = ToUpperChar(static_cast<char16_t>(c));
        ASSERT_EQ(got, expected) << std::hex << "U+" << c;
        mapped += got != c;
    }
    EXPECT_GT(mapped, 900);
}

TEST(CaseMap, NamedUnits)
{
    const struct
    {
        char16_t in, out;
    } cases[] = {
        {0x00E9, 0x00C9}, {0x00FF, 0x0178}, {0x0451, 0x0401}, {0x0561, 0x0531}, {0x00B5, 0x00B5},
        {0x00DF, 0x00DF}, {0xFF41, 0xFF21}, {0x0131, 0x0049}, {0x017F, 0x0053}, {0x01C5, 0x01C4},
        {0x01C6, 0x01C4}, {0x0345, 0x0399}, {0x03C2, 0x03A3}, {0x1F80, 0x1F88}, {0x1FBE, 0x0399},
        {0x2170, 0x2160}, {0x1D79, 0xA77D}, {0xA78C, 0xA78B}, {0x1EF1, 0x1EF0}, {0x03D0, 0x03D0},
        {0xD801, 0xD801}, {0xDC28, 0xDC28}, {u'z', u'Z'},     {u'Z', u'Z'},     {0x0105, 0x0104},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToUpperChar(c.in), c.out) << std::hex << static_cast<unsigned>(c.in);
}

TEST(CaseMap, MakeUpper)
{
    GString wide;
    wide.AssignW(u"za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144 \U00010428");
    ASSERT_EQ(wide.MakeUpper(), 1);
    EXPECT_EQ(std::u16string(wide.GetW(0), wide.GetLength()),
              u"ZA\u017B\u00D3\u0141\u0106 G\u0118\u015AL\u0104 JA\u0179\u0143 \U00010428");

    // The UTF-8 length may change: dotless i and long s have one-byte capitals.
    GString narrow;
    narrow.AssignA("\xC4\xB1\xC5\xBF\xC3\xA9x");
    ASSERT_EQ(narrow.MakeUpper(), 1);
    EXPECT_FALSE(narrow.IsWide());
    EXPECT_EQ(std::string(narrow.GetA(0), narrow.GetLength()), "IS\xC3\x89X");

    GString invalid;
    invalid.AssignA("ab\xC3");
    EXPECT_EQ(invalid.MakeUpper(), 0);
    EXPECT_EQ(std::string(invalid.GetA(0), invalid.GetLength()), "ab\xC3");
}
