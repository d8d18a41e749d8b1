#include "StrtabCompiler.h"
#include "payload/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace
{

struct RejectCase
{
    const char* Source;
    const char* Message; // "file:line: ..." prefix and the gist
};

TEST(StrtabCompiler, RejectsMalformedSourcesNamingFileAndLine)
{
    const RejectCase cases[] = {
        {"1 a\n2 b\n1 c\n", "t.txt:3: duplicate id 1 (first at t.txt:1)"},
        {"# x\n\n7 a\\qb\n", "t.txt:3: unknown escape \\q"},
        {"1 ok\n2 \xC3\x28\n", "t.txt:2: invalid UTF-8"},
        {"1 \xC0\xAF\n", "t.txt:1: invalid UTF-8"},     // overlong '/'
        {"1 \xED\xA0\x80\n", "t.txt:1: invalid UTF-8"}, // an encoded surrogate
        {"1 \xE2\x82\n", "t.txt:1: invalid UTF-8"},     // cut off
        {"# \xFF comment\n", "t.txt:1: invalid UTF-8"}, // comments are text too
        {"1 \xF0\x9F\x98\x80\n", "t.txt:1: character above U+FFFF"},
        {"1 a \n", "t.txt:1: trailing whitespace"},
        {"12abc\n", "t.txt:1: expected one space"},
        {" 1 a\n", "t.txt:1: an entry starts with its decimal id"},
        {"x a\n", "t.txt:1: an entry starts with its decimal id"},
        {"4294967296 a\n", "t.txt:1: id does not fit"},
        {"1 \\x4\n", "t.txt:1: \\x needs 2 hexadecimal digits"},
        {"1 \\u00G1\n", "t.txt:1: \\u needs 4 hexadecimal digits"},
        {"1 \\u0000\n", "t.txt:1: escape gives a zero"},
        {"1 \\uD800\n", "t.txt:1: escape gives a zero or surrogate"},
        {"1 a\\\n", "t.txt:1: backslash at the end"},
        {"1 a\tb\n", "t.txt:1: control character"},
        {"1? a\n1 b\n", "t.txt:2: duplicate id 1"}, // a provisional text gives way only to a later file
    };
    for (const RejectCase& c : cases)
    {
        StrtabCompiler compiler;
        std::string error;
        EXPECT_EQ(compiler.AddSource("t.txt", c.Source, &error), 0) << c.Source;
        EXPECT_EQ(error.compare(0, std::strlen(c.Message), c.Message), 0) << "got: " << error;
    }
}

TEST(StrtabCompiler, LaterFileReplacesOnlyProvisionalTexts)
{
    StrtabCompiler compiler;
    std::string error;
    ASSERT_EQ(compiler.AddSource("common.txt", "146? 0000\n147 1111\n", &error), 1) << error;
    EXPECT_EQ(compiler.PlaceholderCount(), 1u);
    ASSERT_EQ(compiler.AddSource("patterns.txt", "146 ABCD\n", &error), 1) << error;
    EXPECT_EQ(compiler.Entries().at(146).Text, u"ABCD");
    EXPECT_EQ(compiler.PlaceholderCount(), 0u);
    EXPECT_EQ(compiler.AddSource("patterns.txt", "147 2222\n", &error), 0);
    EXPECT_EQ(error, "patterns.txt:1: duplicate id 147 (first at common.txt:2)");
}

TEST(StrtabCompiler, LineSyntaxAndEscapes)
{
    StrtabCompiler compiler;
    std::string error;
    const char* source = "\xEF\xBB\xBF# comment\r\n"
                         "   \r\n"
                         "5 x\r\n"
                         "6 \\sa\\tb\\\\c\\n\\r\\x41\\u0105 z\\s\n"
                         "7\n"
                         "8 \n"
                         "4294967295 last";
    ASSERT_EQ(compiler.AddSource("t.txt", source, &error), 1) << error;
    const auto& e = compiler.Entries();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e.at(5).Text, u"x");
    EXPECT_EQ(e.at(6).Text, u" a\tb\\c\n\rA\u0105 z ");
    EXPECT_EQ(e.at(7).Text, u"");
    EXPECT_EQ(e.at(8).Text, u"");
    EXPECT_EQ(e.at(4294967295u).Text, u"last");
    EXPECT_EQ(e.at(6).Line, 4);
}

TEST(StrtabCompiler, PicksTheSmallerEncoding)
{
    const struct
    {
        std::u16string Text;
        bool Utf8;
        uint32_t Length;
    } cases[] = {
        {u"abc", true, 3},
        {u"", true, 0},
        {u"\u0105\u0119", true, 4},   // two bytes either way: UTF-8 wins the tie
        {u"\u20AC\u2013x", false, 3}, // 7 bytes of UTF-8 against 6 of UTF-16
        {u"\u20AC abc", true, 7},
    };
    for (const auto& c : cases)
    {
        const std::vector<unsigned char> block = EncodeCountedText(c.Text);
        const uint32_t header = ReadLe32(block.data());
        EXPECT_EQ((header & kCountedUtf8Flag) != 0, c.Utf8);
        EXPECT_EQ(header & kCountedLengthMask, c.Length);
        EXPECT_EQ(block.size(), 4 + (c.Utf8 ? c.Length : 2 * c.Length));
    }
}

TEST(StrtabCompiler, BuiltTableReadsBack)
{
    StrtabCompiler compiler;
    std::string error;
    ASSERT_EQ(
        compiler.AddSource("t.txt", "300 same\n2 \\u20AC\\u2013\n4294967295 top\n0 zero\n1 same\n", &error),
        1)
        << error;
    std::vector<unsigned char> bytes;
    uint32_t count = 0;
    compiler.Build(&bytes, &count);
    ASSERT_EQ(count, 5u);
    ASSERT_EQ(CheckStringTable(bytes.data(), static_cast<uint32_t>(bytes.size()), count), 1);

    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    StringTable table;
    ASSERT_EQ(table.Attach(buffer, count), 1);
    // Index order is unsigned id order.
    EXPECT_EQ(ReadLe32(table.IndexStart), 0u);
    EXPECT_EQ(ReadLe32(table.IndexStart + 8 * 4), 4294967295u);
    for (uint32_t i = 0; i < count; ++i)
    {
        EXPECT_EQ(ReadLe32(table.IndexStart + 8 * i + 4) % 4, 0u) << "block " << i << " is not aligned";
    }
    const unsigned char* euro = table.Find(2);
    ASSERT_NE(euro, nullptr);
    EXPECT_EQ(ReadLe32(euro), 2u); // UTF-16, two units
    EXPECT_EQ(euro[4] | euro[5] << 8, 0x20AC);
    EXPECT_EQ(euro[6] | euro[7] << 8, 0x2013);
    const unsigned char* top = table.Find(4294967295u);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(top + 4), 3), "top");
    // Identical texts share one block.
    EXPECT_EQ(table.Find(1), table.Find(300));
    EXPECT_EQ(table.Find(3), nullptr);
}

} // namespace

namespace
{

TEST(StrtabCompiler, TextItemsGetCrLfLineEnds)
{
    const struct
    {
        const char* Source;
        const char* Item; // null: refused
        const char* Error;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n", nullptr},
        {"a\r\nb", "a\r\nb", nullptr},
        {"\xEF\xBB\xBF\xC4\x85\tz\n\n", "\xC4\x85\tz\r\n\r\n", nullptr},
        {"", "", nullptr},
        {"ok\n\xC4\n", nullptr, "l.txt:2: invalid UTF-8"},
        {"ok\nx\x01y\n", nullptr, "l.txt:2: control character"},
        {"\xF0\x9F\x98\x80", nullptr, "l.txt:1: character above U+FFFF"},
    };
    for (const auto& c : cases)
    {
        std::string item;
        std::string error;
        const int ok = PrepareTextItem("l.txt", c.Source, &item, &error);
        if (c.Item != nullptr)
        {
            ASSERT_EQ(ok, 1) << error;
            EXPECT_EQ(item, c.Item);
        }
        else
        {
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(error.compare(0, std::strlen(c.Error), c.Error), 0) << error;
        }
    }
}

} // namespace
