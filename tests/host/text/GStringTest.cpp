#include "text/GString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
std::u16string W(const GString& s) { return std::u16string(s.GetW(0), s.GetLength()); }
std::string A(const GString& s) { return std::string(s.GetA(0), s.GetLength()); }
} // namespace

TEST(GStringStorage, DefaultIsEmptyNarrowWithoutBlock)
{
    GString s;
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.Block, nullptr);
    EXPECT_EQ(s.IsWide(), 0);
    EXPECT_EQ(s.GetA(0), GString::EmptyTextA);
    EXPECT_EQ(s.GetW(0), GString::EmptyTextW);
    s.Terminate();
    EXPECT_EQ(s.Block, nullptr);
    EXPECT_EQ(s.Reserve(0), 0); // no block to compact
}

TEST(GStringStorage, CharConstructor)
{
    GString comma(u',', 1);
    EXPECT_TRUE(comma.IsWide());
    EXPECT_EQ(W(comma), u",");
    GString none(u'x', 0);
    EXPECT_TRUE(none.IsWide());
    EXPECT_EQ(none.GetLength(), 0);
}

TEST(GStringStorage, BlocksGrowByHalfInGranules)
{
    GString s;
    s.EmptyW();
    struct Step
    {
        int length;
        int blockSize;
    };
    // Block size after the string reaches each length, one unit at a time.
    const Step steps[] = {{1, 64}, {29, 64}, {30, 128}, {61, 128}, {62, 192}, {93, 192}, {94, 320}};
    int next = 0;
    for (int len = 1; len <= 94; ++len)
    {
        ASSERT_EQ(s.AppendCharW(u'a', 1), 1);
        if (steps[next].length == len)
        {
            EXPECT_EQ(s.BlockSize, steps[next].blockSize) << "at length " << len;
            ++next;
        }
    }
    EXPECT_EQ(next, 7);
    EXPECT_EQ(s.GetW(0)[94], 0);
}

TEST(GStringStorage, FirstBlockRoomAndHeader)
{
    GString w;
    w.EmptyW();
    w.AppendW(u"abc");
    EXPECT_EQ(w.BlockSize, 64);
    EXPECT_EQ(w.Room(), 29);
    uint32_t header;
    memcpy(&header, w.Block, 4);
    EXPECT_EQ(header, 0u); // written when the block was made, before the text went in
    std::u16string more(27, u'y');
    w.AppendW(more.data(), 27); // a new block, whose header holds the 3 units it copied
    memcpy(&header, w.Block, 4);
    EXPECT_EQ(header, 6u);

    GString a;
    a.AppendA("x");
    EXPECT_EQ(a.Room(), 59);
    memcpy(&header, a.Block, 4);
    EXPECT_EQ(header, 0x80000000u);
}

TEST(GStringStorage, WidthMismatches)
{
    GString narrow;
    EXPECT_EQ(narrow.AppendW(nullptr, 5), 1);
    EXPECT_EQ(narrow.AppendW(u"", -1), 1);
    EXPECT_EQ(narrow.AppendW(u"x", 1), 0);
    EXPECT_EQ(narrow.GetLength(), 0);
    EXPECT_EQ(narrow.AppendCharW(0x105, 1), 0);
    EXPECT_EQ(narrow.AppendCharW(u'a', 2), 1);
    EXPECT_EQ(A(narrow), "aa");

    GString wide(u'z', 1);
    EXPECT_EQ(wide.AppendA("", -1), 0);
    EXPECT_EQ(wide.AppendA(nullptr, 0), 0);
    EXPECT_EQ(wide.AppendCharA('\xC3', 1), 0);
    EXPECT_EQ(wide.AppendCharA('b', 1), 1);
    EXPECT_EQ(W(wide), u"zb");
    EXPECT_EQ(wide.AppendCharW(0, 5), 1);
    EXPECT_EQ(wide.AppendCharW(u'q', 0), 1);
    EXPECT_EQ(W(wide), u"zb");
}

TEST(GStringConversion, EncodingTable)
{
    struct Case
    {
        std::u16string wide;
        std::string utf8;
    };
    const Case cases[] = {
        {u"\u00e9", "\xC3\xA9"},
        {u"a\u0105\u20ac", "a\xC4\x85\xE2\x82\xAC"},
        {u"\u07ff\u0800", "\xDF\xBF\xE0\xA0\x80"},
        {std::u16string(1, char16_t(0xD83D)) + char16_t(0xDE00), "\xED\xA0\xBD\xED\xB8\x80"}, // halves apart
    };
    for (const Case& c : cases)
    {
        GString n;
        ASSERT_EQ(n.Append(c.wide.data(), static_cast<int>(c.wide.size())), 1);
        EXPECT_EQ(A(n), c.utf8);
        GString w;
        w.EmptyW();
        ASSERT_EQ(w.AppendUtf8(c.utf8.data(), static_cast<int>(c.utf8.size())), 1);
        EXPECT_EQ(W(w), c.wide);
    }
}

TEST(GStringConversion, InvalidUtf8LeavesTextAsItWas)
{
    const char* bad[] = {"a\xF0\x9F\x98\x80", "\x80", "\xC3", "\xC3\x41", "\xE2\x82", "\xFF"};
    for (const char* b : bad)
    {
        GString w;
        w.EmptyW();
        w.AppendW(u"keep");
        EXPECT_EQ(w.AppendUtf8(b, static_cast<int>(strlen(b))), 0) << b;
        EXPECT_EQ(W(w), u"keep");
        EXPECT_EQ(w.GetW(0)[4], 0);

        GString n;
        n.AppendA(b);
        EXPECT_EQ(n.ToWide(), nullptr);
        EXPECT_FALSE(n.IsWide());
        EXPECT_EQ(A(n), b);
    }
}

TEST(GStringConversion, InPlaceRoundTrip)
{
    GString s;
    s.AppendA("\xC3\xA9");
    ASSERT_NE(s.ToWide(), nullptr);
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(s.GetLength(), 1);
    EXPECT_EQ(s.GetW(0)[0], 0xE9);
    ASSERT_NE(s.ToNarrow(), nullptr);
    EXPECT_EQ(A(s), "\xC3\xA9");

    GString empty(u'x', 0);
    EXPECT_NE(empty.ToNarrow(), nullptr);
    EXPECT_FALSE(empty.IsWide());
}

TEST(GStringStorage, DropLeftAndCompact)
{
    GString s;
    s.EmptyW();
    s.AppendW(u"abcd");
    unsigned char* text = s.Block + 4;
    ASSERT_EQ(s.DropLeft(2), 1);
    EXPECT_EQ(W(s), u"cd");
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(s.GetW(0)), text + 4);
    // 27 more units fit in the room behind the text only after moving it to the front.
    std::u16string more(27, u'x');
    ASSERT_EQ(s.AppendW(more.data(), 27), 1);
    EXPECT_EQ(s.Start, 0);
    EXPECT_EQ(s.BlockSize, 64);
    EXPECT_EQ(W(s), u"cd" + more);

    EXPECT_EQ(s.DropLeft(0), 0);
    EXPECT_EQ(s.DropLeft(1000), 1);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.Start, 0);
}

TEST(GStringStorage, BuffersAndSetLength)
{
    GString s;
    char16_t* buf = s.GetBufferW(260);
    ASSERT_NE(buf, nullptr);
    memcpy(buf, u"C:\\x", 10);
    ASSERT_EQ(s.SetLength(-1), 1);
    EXPECT_EQ(W(s), u"C:\\x");

    GString small;
    small.EmptyW();
    small.AppendW(u"a");
    ASSERT_EQ(small.BlockSize, 64);
    ASSERT_EQ(small.SetLength(1000), 1);
    EXPECT_EQ(small.GetLength(), 29);

    GString none;
    EXPECT_EQ(none.SetLength(3), 0);
    EXPECT_NE(none.GetBufferA(0), nullptr); // always somewhere to write the terminator
}

TEST(GStringAssign, Counted)
{
    const unsigned char narrow[] = {3, 0, 0, 0x80 | 0x60, 'a', 'b', 'c'}; // bits 29 and 30 set too
    const unsigned char wide[] = {2, 0, 0, 0, 'h', 0, 'i', 0};
    GString s;
    ASSERT_EQ(s.AssignCounted(narrow), 1);
    EXPECT_FALSE(s.IsWide());
    EXPECT_EQ(A(s), "abc");
    ASSERT_EQ(s.AssignCounted(wide), 1);
    EXPECT_TRUE(s.IsWide());
    EXPECT_EQ(W(s), u"hi");
    EXPECT_EQ(s.AssignCounted(nullptr), 0);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_TRUE(s.IsWide());
}

TEST(GStringAssign, AcrossWidths)
{
    GString src;
    src.AppendA("\xC5\x82\xC3\xB3");
    GString w;
    ASSERT_EQ(w.AssignWide(&src), 1);
    EXPECT_EQ(W(w), u"\u0142\u00f3");
    GString n;
    ASSERT_EQ(n.AssignNarrow(&w), 1);
    EXPECT_EQ(A(n), A(src));
    EXPECT_EQ(n.AssignWide(nullptr), 0);
    EXPECT_TRUE(n.IsWide());
    EXPECT_EQ(n.AssignNarrow(nullptr), 0);
    EXPECT_FALSE(n.IsWide());

    GString copy;
    copy.Assign(w);
    EXPECT_EQ(W(copy), W(w));
    copy.AppendString(copy);
    EXPECT_EQ(W(copy), u"\u0142\u00f3\u0142\u00f3");
    GString mixed;
    mixed.AppendString(w); // wide into narrow: encoded
    EXPECT_EQ(A(mixed), A(src));
    mixed.AppendNewLine();
    EXPECT_EQ(A(mixed), A(src) + "\r\n");
}

TEST(GStringStorage, AppendingItsOwnTextSurvivesGrowth)
{
    GString w;
    w.EmptyW();
    std::u16string start(29, u'w'); // a full first block: the next append must move it
    w.AppendW(start.data(), 29);
    ASSERT_EQ(w.AppendW(w.GetW(0), w.GetLength()), 1);
    EXPECT_EQ(W(w), start + start);

    GString n;
    n.AppendA("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz0123456");
    ASSERT_EQ(n.DropLeft(3), 1);
    ASSERT_EQ(n.AppendA(n.GetA(1), 10), 1);
    EXPECT_EQ(A(n).substr(A(n).size() - 10), "efghijklmn");
}
