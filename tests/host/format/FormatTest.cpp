// The directive syntax, the integer conversions, characters, texts, GStrings, hex dumps and the
// directives without output.
#include "FormatCases.h"

#include <climits>

using namespace std::string_literals;

namespace
{
const void* Ptr(uintptr_t v)
{
    return reinterpret_cast<const void*>(v);
}
} // namespace

TEST(FormatDirectives, Integers)
{
    RunFormatCases({
        {u"%d", {I(0)}, u"0"s},
        {u"%.0d", {I(0)}, u"0"s},
        {u"%5d", {I(-42)}, u"  -42"s},
        {u"%-5d", {I(-42)}, u"-42  "s},
        {u"%05d", {I(-42)}, u"-0042"s},
        {u"%-05d", {I(-42)}, u"-42  "s},
        {u"%+d", {I(7)}, u"+7"s},
        {u"% d", {I(7)}, u" 7"s},
        {u"%+u", {I(7)}, u"7"s},
        {u"%i", {I(INT_MIN)}, u"-2147483648"s},
        {u"%u", {I(-1)}, u"4294967295"s},
        {u"%x", {I(255)}, u"ff"s},
        {u"%X", {I(255)}, u"FF"s},
        {u"%#X", {I(255)}, u"0xFF"s},
        {u"%x", {I(-1)}, u"ffffffff"s},
        {u"%#o", {I(8)}, u"010"s},
        {u"%#y", {I(5)}, u"0y101"s},
        {u"%y", {I(0)}, u"0"s},
        {u"%.3d", {I(-5)}, u"-005"s},
        {u"%+.3d", {I(5)}, u"+005"s},
        // Zero fill goes between the sign or prefix and the digits, space fill before them.
        {u"%08d", {I(-42)}, u"-0000042"s},
        {u"%+06d", {I(42)}, u"+00042"s},
        {u"%#08x", {I(255)}, u"0x0000ff"s},
        {u"%#8x", {I(255)}, u"    0xff"s},
        // The precision counts sign and prefix: below their sum the digits stay as they are.
        {u"%#.3x", {I(0xAB)}, u"0xab"s},
        {u"%#.4x", {I(0xAB)}, u"0x00ab"s},
        // Leading zeros say octal, so the prefix goes.
        {u"%#.4o", {I(8)}, u"0010"s},
        {u"%#.3o", {I(8)}, u"010"s},
        {u"%#.2o", {I(8)}, u"010"s},
        {u"%.400d", {I(1)}, std::u16string(307, u'0') + u"1"},
        // Sizes: L and ll take 64 bits; h and l change nothing.
        {u"%Ld", {L(INT64_MIN)}, u"-9223372036854775808"s},
        {u"%lld", {L(1234567890123LL)}, u"1234567890123"s},
        {u"%Lu", {L(-1)}, u"18446744073709551615"s},
        {u"%Lx", {L(0x123456789ABCDEFLL)}, u"123456789abcdef"s},
        {u"%ld", {I(-3)}, u"-3"s},
        {u"%hd", {I(70000)}, u"70000"s},
        {u"%hx", {I(0x12345)}, u"12345"s},
        // Widths and precisions from the argument list.
        {u"%*d", {I(5), I(42)}, u"   42"s},
        {u"%*d|", {I(-5), I(42)}, u"42   |"s},
        {u"%.*d", {I(4), I(7)}, u"0007"s},
        {u"%.*d", {I(-3), I(7)}, u"7"s},
        {u"%*.*d", {I(6), I(3), I(-7)}, u"  -007"s},
    });
}

TEST(FormatDirectives, Grouping)
{
    RunFormatCases({
        {u"%`d", {I(1234567)}, u"1 234 567"s},
        {u"%`d", {I(123)}, u"123"s},
        {u"%`d", {I(-1234)}, u"-1 234"s},
        {u"%`x", {I(0x12345678)}, u"1234 5678"s},
        {u"%#`x", {I(0x12345678)}, u"0x1234 5678"s},
        {u"%`o", {I(01234567)}, u"1 234 567"s},
        {u"%`y", {I(0x1F)}, u"1 1111"s},
        // Leading zeros from the precision are grouped too; zero fill is not.
        {u"%`.7d", {I(1234)}, u"0 001 234"s},
        {u"%`.6x", {I(0xABC)}, u"00 0abc"s},
        {u"%`010d", {I(1234567)}, u"01 234 567"s},
        {u"%`p", {P(Ptr(0x12345678))}, u"1234 5678"s},
    });
}

TEST(FormatDirectives, Pointers)
{
    RunFormatCases({
        {u"%p", {P(Ptr(0x1234))}, u"00001234"s},
        {u"%p", {P(Ptr(0xDEADBEEF))}, u"deadbeef"s},
        {u"%P", {P(Ptr(0xDEADBEEF))}, u"DEADBEEF"s},
        {u"%#P", {P(Ptr(0xABCDEF))}, u"0x00ABCDEF"s},
        {u"%#p", {P(Ptr(0x1234567))}, u"0x01234567"s},
        {u"%.2p", {P(Ptr(0x12))}, u"00000012"s},
        {u"%Lp", {P(Ptr(0x12))}, u"00000012"s},
        {u"%p", {P(nullptr)}, u"  {null}"s},
        {u"%#p", {P(nullptr)}, u"    {null}"s},
        {u"%12p", {P(nullptr)}, u"      {null}"s},
        {u"%-10p|", {P(nullptr)}, u"  {null}  |"s},
    });
}

TEST(FormatDirectives, Characters)
{
    RunFormatCases({
        {u"%c", {I(0x41)}, u"A"s},
        {u"%c", {I(0x20AC)}, u"\u20AC"s},
        {u"%c", {I(0x120041)}, u"A"s}, // the low 16 bits
        {u"%3c|%-3c|", {I('x'), I('y')}, u"  x|y  |"s},
        {u"%hc", {I(0x41)}, u"A"s},
        {u"a%hcb", {I(0xE9)}, u"a"s, 0},
        {u"%#c", {I(7)}, u"{07}"s},
        {u"%#c", {I(0xE9)}, u"\u00E9"s},
        {u"%$c", {I(0x7F)}, u"{7f}"s},
        {u"%$C", {I(0x7F)}, u"{7F}"s},
        {u"%$c", {I(0x20AC)}, u"{ac}"s},
        {u"%$c", {I(0x7E)}, u"~"s},
        {u"%$6c", {I(1)}, u"  {01}"s},
    });
}

TEST(FormatDirectives, Strings)
{
    const char16_t withNul[] = u"ab\0cd";
    const char utf8[] = "\xC3\xA9\x41";
    RunFormatCases({
        {u"%s", {P(u"path")}, u"path"s},
        {u"%s", {P(nullptr)}, u"{null}"s},
        {u"%8s", {P(nullptr)}, u"  {null}"s},
        {u"%08s", {P(nullptr)}, u"00{null}"s},
        {u"%.3s", {P(u"abcde")}, u"abc"s},
        {u"%.9s", {P(u"abcde")}, u"abcde"s},
        {u"%5s|%-5s|", {P(u"ab"), P(u"cd")}, u"   ab|cd   |"s},
        // A negative precision is an exact count, terminators included.
        {u"%.*s", {I(-4), P(withNul)}, u"ab\0c"s},
        {u"%.*s", {I(2), P(withNul)}, u"ab"s},
        {u"[%Ls]", {P(u"gone")}, u"[]"s},
        // UTF-8 texts: the precision and the width count characters, not bytes.
        {u"%.1hs", {P(utf8)}, u"\u00E9"s},
        {u"%.2hs", {P(utf8)}, u"\u00E9A"s},
        {u"%4hs|", {P(utf8)}, u"  \u00E9A|"s},
        {u"%.*hs", {I(-3), P("a\0b")}, u"a\0b"s},
        {u"%.*hs", {I(-1), P("\xE2\x82\xAC")}, u"\u20AC"s},
        {u"x%hs", {P("\xC3\x41")}, u"x"s, 0},
        {u"x%hs", {P("\xF0\x9F\x98\x80")}, u"x"s, 0},
        // Escapes: "$" everything outside printable ASCII, "#" control characters only.
        {u"%$s", {P(u"a\tb")}, u"a{09}b"s},
        {u"%#S", {P(u"\x01x")}, u"{01}x"s},
        {u"%$s", {P(u"\u20AC")}, u"{ac}"s},
        {u"%$S", {P(u"\u20AC")}, u"{AC}"s},
        {u"%#s", {P(u"\u00E9\t")}, u"\u00E9{09}"s},
        {u"%$8s|", {P(u"\t")}, u"    {09}|"s},
        {u"%$hs", {P("\xC3\xA9")}, u"{c3}{a9}"s},
        {u"%#hs", {P("\xC3\xA9\t!")}, u"\u00E9{09}!"s},
        {u"%#hs", {P("\xC3\t")}, u""s, 0}, // a character cut by a control byte
        {u"%$.*s", {I(-2), P(withNul + 1)}, u"b{00}"s},
    });
}

TEST(FormatDirectives, GStrings)
{
    GString wide;
    wide.AssignW(u"z\u0105b");
    GString narrow;
    narrow.AssignA("z\xC4\x85"
                   "b");
    GString empty;
    // Counted text blocks: header, text, terminator.
    const unsigned char block8[] = {3, 0, 0, 0x80, 'a', 'b', 'c', 0};
    alignas(2) const unsigned char block16[] = {2, 0, 0, 0, 'x', 0, 'y', 0, 0, 0};
    RunFormatCases({
        {u"%z", {P(&wide)}, u"z\u0105b"s},
        {u"%z", {P(&narrow)}, u"z\u0105b"s},
        {u"%.2z|%.2z", {P(&wide), P(&narrow)}, u"z\u0105|z\u0105"s},
        {u"%$Z", {P(&narrow)}, u"z{C4}{85}b"s},
        {u"%$z", {P(&wide)}, u"z{05}b"s},
        {u"%z", {P(nullptr)}, u"{null}"s},
        {u"[%z]", {P(&empty)}, u"[]"s},
        {u"%5z", {P(&wide)}, u"  z\u0105b"s},
        // An exact count stops at the end of the string's text.
        {u"%.*z", {I(-10), P(&wide)}, u"z\u0105b"s},
        {u"%hz", {P(block8)}, u"abc"s},
        {u"%hz", {P(block16)}, u"xy"s},
        {u"%.1hz", {P(block16)}, u"x"s},
    });
}

TEST(FormatDirectives, HexDumps)
{
    const unsigned char bytes[] = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6};
    const unsigned char four[] = {0x01, 0x02, 0x03, 0x04};
    RunFormatCases({
        {u"%.6b", {P(bytes)}, u"a1b2c3d4e5f6"s},
        {u"% .6b", {P(bytes)}, u"a1 b2 c3 d4 e5 f6"s},
        {u"%#.6b", {P(bytes)}, u"{a1}{b2}{c3}{d4}{e5}{f6}"s},
        {u"%# .6b", {P(bytes)}, u"{a1} {b2} {c3} {d4} {e5} {f6}"s},
        {u"%`.6b", {P(bytes)}, u"a1b2c3d4 e5f6"s},
        {u"%` .6b", {P(bytes)}, u"a1 b2 c3 d4  e5 f6"s},
        {u"%`#.6b", {P(bytes)}, u"{a1b2c3d4}{e5f6}"s},
        {u"%`# .6b", {P(bytes)}, u"{a1 b2 c3 d4} {e5 f6}"s},
        {u"%.6B", {P(bytes)}, u"A1B2C3D4E5F6"s},
        {u"%`# .6B", {P(bytes)}, u"{A1 B2 C3 D4} {E5 F6}"s},
        {u"%`.4b", {P(four)}, u"01020304"s},
        {u"%`#.4b", {P(four)}, u"{01020304}"s},
        {u"%12.4b|", {P(four)}, u"    01020304|"s},
        {u"%-10.2b|", {P(four)}, u"0102      |"s},
        // No bytes: nothing, but the pointer is still taken.
        {u"%.0b%d", {P(bytes), I(5)}, u"5"s},
        {u"%b%d", {P(bytes), I(6)}, u"6"s},
        {u"%.3b", {P(nullptr)}, u"{null}"s},
    });
}

TEST(FormatDirectives, WithoutOutput)
{
    RunFormatCases({
        {u"a%Nb", {}, u"a\r\nb"s},
        {u"%q", {}, u"q"s},
        {u"%5q", {}, u"q"s},
        {u"%*q%d", {I(3), I(9)}, u"q9"s}, // the "*" argument stays taken
        {u"%hh%d", {I(1)}, u"h1"s},
        {u"100%%", {}, u"100%"s},
        {u"abc%", {}, u"abc"s},
        {u"abc%-0", {}, u"abc"s},
        {u"ab%T", {I(1)}, u"ab"s, 0},
        {u"ab%tcd", {I(1)}, u"ab"s, 0},
        {u"%d%Y%d", {I(1), I(2), I(3)}, u"1"s, 0},
        // Ten digits at most: the eleventh is not a conversion letter.
        {u"%12345678901d", {}, u"1d"s},
    });
}

TEST(FormatDirectives, CountStoresOnlyThisCall)
{
    GString s;
    s.AssignW(u"before");
    int32_t count = -1;
    int32_t again = -1;
    ASSERT_EQ(AppendFormatList(s, u"abcde%n%d%n", &count, 42, &again), 1);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(again, 7);
    EXPECT_EQ(Text(s), u"beforeabcde42");
    EXPECT_EQ(AppendFormatList(s, u"%5.3n!", nullptr), 1); // width and precision ignored; null is fine
    EXPECT_EQ(Text(s), u"beforeabcde42!");
}

TEST(FormatDirectives, FailureKeepsTheTextBefore)
{
    GString s;
    s.AssignW(u">");
    EXPECT_EQ(AppendFormatList(s, u"a%d%sb%hcz%d", 5, u"xy", 0xE9, 1), 0);
    EXPECT_EQ(Text(s), u">a5xyb");
    EXPECT_TRUE(Terminated(s));
}

TEST(FormatDirectives, FormatStartsAfreshAndRefusesNarrowStrings)
{
    GString s;
    s.AssignW(u"old");
    EXPECT_EQ(s.Format(u"%s\\%s", u"C:", u"dir"), 1);
    EXPECT_EQ(Text(s), u"C:\\dir");
    EXPECT_EQ(s.Format(nullptr), 0);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_TRUE(s.IsWide());

    GString narrow;
    narrow.AssignA("keep");
    EXPECT_EQ(AppendFormatList(narrow, u"%d", 1), 0);
    EXPECT_EQ(std::string(narrow.GetA(0)), "keep");
    EXPECT_EQ(AppendFormatList(s, nullptr), 0);
}

TEST(FormatDirectives, SourcesInsideTheStringItself)
{
    // The block moves as the text grows; texts read from it must not move with it.
    GString s;
    s.AssignW(u"0123456789");
    ASSERT_EQ(AppendFormatList(s, u"%s%s%s%s", s.GetW(0), s.GetW(0), s.GetW(0), s.GetW(0)), 1);
    EXPECT_EQ(Text(s), u"01234567890123456789012345678901234567890123456789");
    GString path;
    path.AssignW(u"C:\\Program Files\\Ogonek");
    ASSERT_EQ(path.Format(u"%s\\%s", path.GetW(0), u"setup.exe"), 1);
    EXPECT_EQ(Text(path), u"C:\\Program Files\\Ogonek\\setup.exe");
    GString p;
    p.AssignW(u"<%d>");
    ASSERT_EQ(p.Format(p.GetW(0), 7), 1);
    EXPECT_EQ(Text(p), u"<7>");
    GString z;
    z.AssignW(u"abcdefghijklmnopqrstuvwxyz0123");
    ASSERT_EQ(AppendFormatList(z, u"%z", &z), 1);
    EXPECT_EQ(Text(z), u"abcdefghijklmnopqrstuvwxyz0123abcdefghijklmnopqrstuvwxyz0123");
}

TEST(FormatDirectives, HugeWidthFailsCleanly)
{
    GString s;
    s.AssignW(u"x");
    EXPECT_EQ(AppendFormatList(s, u"%2147483647d", 1), 0);
    EXPECT_EQ(Text(s), u"x");
    EXPECT_TRUE(Terminated(s));
}
