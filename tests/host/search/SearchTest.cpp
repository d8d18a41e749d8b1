// Searches, comparison, suffixes, path joining, debug output and the raw byte search.
#include "text/GString.h"
#include "text/GStringSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::u16string W(const GString& s)
{
    return std::u16string(s.GetW(0), s.GetLength());
}
std::string A(const GString& s)
{
    return std::string(s.GetA(0), s.GetLength());
}
} // namespace

// GString is not copyable; tests build their strings in place.
#define WIDE(name, text)                                                                                     \
    GString name;                                                                                            \
    name.AssignW(text)
#define NARROW(name, text)                                                                                   \
    GString name;                                                                                            \
    name.AssignA(text)

TEST(Search, FindForward)
{
    WIDE(s, u"abcabc");
    const struct
    {
        const char16_t* text;
        int start, len, expected;
    } cases[] = {
        {u"abc", 0, -1, 0},      {u"abc", 1, -1, 3}, {u"abcabc", 0, -1, 0}, {u"", 0, -1, -1},
        {u"c", 6, -1, -1},       {u"c", -1, -1, -1}, {u"bcd", 4, -1, -1},   {u"cab", 0, -1, 2},
        {u"abcabcx", 0, -1, -1}, {u"bcX", 0, 2, 1},  {u"ca", 5, -1, -1},    {nullptr, 0, -1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.FindW(c.text, c.start, c.len), c.expected)
            << (c.text ? std::string(c.text, c.text + (c.len < 0 ? std::char_traits<char16_t>::length(c.text)
                                                                 : c.len))
                       : "null")
            << " from " << c.start;
    GString empty;
    empty.EmptyW();
    EXPECT_EQ(empty.FindW(u"a"), -1);

    // Mixed widths: the argument comes to the string's width, positions stay the string's own.
    NARROW(n, "\xC5\xBC"
              "ab\xC5\xBC");
    EXPECT_EQ(n.FindW(u"b\u017C"), 3);
    EXPECT_EQ(n.FindA("a"), 2);
    WIDE(w, u"\u017Cab\u017C");
    EXPECT_EQ(w.FindA("b\xC5\xBC"), 2);
    EXPECT_EQ(w.FindA("\xC5"), -1); // not UTF-8
    NARROW(needle, "\xC5\xBC");
    EXPECT_EQ(w.Find(needle, 1), 3);
    EXPECT_EQ(n.Find(w), 0);
    EXPECT_EQ(n.Find(empty), -1);
}

TEST(Search, ReverseFind)
{
    WIDE(path, u"C:\\Program Files\\Ogonek\\setup.exe");
    EXPECT_EQ(path.ReverseFind(u'\\'), 23);
    EXPECT_EQ(path.ReverseFind(u'\\', 23), 23);
    EXPECT_EQ(path.ReverseFind(u'\\', 24), -1);
    EXPECT_EQ(path.ReverseFind(u'\\', 40), -1);
    EXPECT_EQ(path.ReverseFind(u'\\', -1), -1);
    EXPECT_EQ(path.ReverseFind(u'C'), 0);
    GString empty;
    EXPECT_EQ(empty.ReverseFind(u'a'), -1);

    NARROW(narrow, "caf\xC3\xA9");
    EXPECT_EQ(narrow.ReverseFind(0x00E9), 3); // the sequence ends the string
    EXPECT_EQ(narrow.ReverseFind(0x00E9, 3), 3);
    EXPECT_EQ(narrow.ReverseFind(0x00E9, 4), -1);
    EXPECT_EQ(narrow.ReverseFind(u'a'), 1);
    NARROW(euro, "\xE2\x82\xAC-\xE2\x82\xAC");
    EXPECT_EQ(euro.ReverseFind(0x20AC), 4);
    EXPECT_EQ(euro.ReverseFind(0x20AC, 1), 4);
    EXPECT_EQ(euro.ReverseFind(0x00AC), -1); // C2 AC is not there
}

TEST(Search, CompareLengthFirst)
{
    WIDE(s, u"ab");
    EXPECT_EQ(s.CompareW(u"aaa"), -1); // shorter sorts first, whatever the characters
    EXPECT_EQ(s.CompareW(u"z"), 1);
    EXPECT_EQ(s.CompareW(u"ab"), 0);
    EXPECT_EQ(s.CompareW(u"ac"), -1);
    EXPECT_EQ(s.CompareW(u"aa"), 1);
    EXPECT_EQ(s.CompareW(u"abX", 2), 0);
    EXPECT_EQ(s.CompareW(u""), 1);
    EXPECT_EQ(s.CompareW(nullptr), 1);
    WIDE(high, u"\uFFFF");
    EXPECT_EQ(high.CompareW(u"a"), 1); // unsigned units
    GString empty;
    EXPECT_EQ(empty.CompareW(u""), 0);
    EXPECT_EQ(empty.CompareW(nullptr), 0);
    EXPECT_EQ(empty.CompareA("x"), -1);

    NARROW(n, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(n.CompareW(u"\u00E9t\u00E9"), 0);
    EXPECT_EQ(n.CompareA("\xC3\xA9t\xC3\xA8"), 1);
    WIDE(w, u"\u00E9t\u00E9");
    EXPECT_EQ(w.CompareA("\xC3\xA9t\xC3\xA9"), 0);
    EXPECT_EQ(w.CompareA("\xC3\xA9t\xC3\xA9!"), -1);
}

TEST(Search, Equals)
{
    WIDE(w, u"za\u017C\u00F3\u0142\u0107");
    NARROW(n, "za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87");
    EXPECT_EQ(w.Equals(n), 1);
    EXPECT_EQ(n.Equals(w), 1);
    WIDE(other, u"za\u017C\u00F3\u0142x");
    EXPECT_EQ(w.Equals(other), 0);
    GString e1, e2;
    e2.EmptyW();
    EXPECT_EQ(e1.Equals(e2), 1);
    EXPECT_EQ(w.Equals(e1), 0);
    // Text that cannot be converted is equal to nothing.
    NARROW(invalid, "za\xC5");
    EXPECT_EQ(w.Equals(invalid), 0);
    EXPECT_EQ(w.CompareA("za\xC5"), 0); // the comparison itself reports no order
}

TEST(Search, EnsureSuffix)
{
    WIDE(s, u"C:\\dir\\");
    EXPECT_EQ(s.EnsureSuffixW(u"\\"), 1);
    EXPECT_EQ(W(s), u"C:\\dir\\");
    EXPECT_EQ(s.EnsureSuffixW(u""), 0);
    EXPECT_EQ(s.EnsureSuffixW(nullptr), 0);
    EXPECT_EQ(s.EnsureSuffixW(u"x.txt"), 1);
    EXPECT_EQ(W(s), u"C:\\dir\\x.txt");
    EXPECT_EQ(s.EnsureSuffixW(u".txt"), 1);
    EXPECT_EQ(W(s), u"C:\\dir\\x.txt");
    EXPECT_EQ(s.EnsureSuffixA(".t\xC3\xA9"), 1);
    EXPECT_EQ(W(s), u"C:\\dir\\x.txt.t\u00E9");
    EXPECT_EQ(s.EnsureSuffixA("\xC3"), 0);
    EXPECT_EQ(W(s), u"C:\\dir\\x.txt.t\u00E9");

    NARROW(n, "abc");
    EXPECT_EQ(n.EnsureSuffixW(u"bc"), 1);
    EXPECT_EQ(A(n), "abc");
    EXPECT_EQ(n.EnsureSuffixW(u"\u00E9"), 1);
    EXPECT_EQ(A(n), "abc\xC3\xA9");
    GString empty;
    empty.EmptyW();
    EXPECT_EQ(empty.EnsureSuffixW(u"\\"), 1);
    EXPECT_EQ(W(empty), u"\\");
}

TEST(Search, AppendPath)
{
    const struct
    {
        const char16_t* base;
        const char16_t* component;
        const char16_t* expected;
    } cases[] = {
        {u"C:\\dir\\", u"\\file", u"C:\\dir\\file"},
        {u"C:\\dir", u"file", u"C:\\dir\\file"},
        {u"C:\\dir", u"/file/", u"C:\\dir\\file/"},
        {u"C:\\dir", u"\\\\file", u"C:\\dir\\\\file"}, // one separator only is dropped
        {u"", u"file", u"\\file"},
        {u"C:\\dir", u"", u"C:\\dir\\"},
        {u"C:\\dir", nullptr, u"C:\\dir\\"},
        {u"C:\\dir", u"\\", u"C:\\dir\\"},
    };
    for (const auto& c : cases)
    {
        GString s;
        s.AssignW(c.base);
        EXPECT_EQ(s.AppendPathW(c.component), 1);
        EXPECT_EQ(W(s), c.expected);
    }
    WIDE(base, u"C:\\Program Files");
    NARROW(vendor, "\\Ogonek\\");
    WIDE(file, u"setup.exe");
    EXPECT_EQ(W(base.AppendPath(vendor).AppendPath(file)), u"C:\\Program Files\\Ogonek\\setup.exe");
    NARROW(n, "C:");
    EXPECT_EQ(n.AppendPathW(u"\u00E9"), 1);
    EXPECT_EQ(A(n), "C:\\\xC3\xA9");
    WIDE(w, u"C:");
    EXPECT_EQ(w.AppendPathA("\xFF"), 0);
    EXPECT_EQ(W(w), u"C:");
}

namespace
{
std::vector<std::u16string> sent;
void Capture(const char16_t* text)
{
    sent.push_back(text);
}

struct DebugCapture
{
    DebugOutputSinkFn previous = DebugOutputSink;
    DebugCapture()
    {
        sent.clear();
        DebugOutputSink = Capture;
    }
    ~DebugCapture() { DebugOutputSink = previous; }
};
} // namespace

TEST(Search, DebugOutputInLines)
{
    DebugCapture capture;
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += static_cast<char16_t>(u'a' + i % 26);
    GString s;
    s.AssignW(text.c_str());
    s.DebugOutput(65535);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], text.substr(0, 80) + u" \\\n");
    EXPECT_EQ(sent[1], text.substr(80, 80) + u" \\\n");
    EXPECT_EQ(sent[2], text.substr(160) + u"\n");

    sent.clear();
    s.AssignW(text.substr(0, 160).c_str());
    s.DebugOutput(65535);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], text.substr(80, 80) + u"\n");

    sent.clear();
    s.DebugOutput(100); // the limit cuts the text
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], text.substr(80, 20) + u"\n");

    sent.clear();
    GString empty;
    empty.DebugOutput(65535);
    EXPECT_TRUE(sent.empty());
}

TEST(Search, DebugOutputOfUtf8CountsCharacters)
{
    DebugCapture capture;
    std::string bytes;
    std::u16string chars;
    for (int i = 0; i < 90; ++i)
    {
        bytes += i % 2 ? "\xC4\x85" : "z";
        chars += i % 2 ? u'\u0105' : u'z';
    }
    GString s;
    s.AssignA(bytes.c_str());
    s.DebugOutput(65535);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], chars.substr(0, 80) + u" \\\n");
    EXPECT_EQ(sent[1], chars.substr(80) + u"\n");
    EXPECT_FALSE(s.IsWide());
}

TEST(Search, FindBytes)
{
    const unsigned char data[] = {1, 2, 3, 4, 5, 3, 4};
    const unsigned char pattern[] = {3, 4};
    const struct
    {
        int dataLen, patLen, start, expected;
    } cases[] = {
        {7, 2, 0, 2},  {7, 2, 3, 5},  {7, 2, 5, 5}, // start + patLen == dataLen tests the last place
        {7, 2, 6, -1}, {6, 2, 3, -1}, {7, 2, -1, -1}, {0, 2, 0, -1}, {7, 0, 0, -1}, {1, 2, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindBytes(data, pattern, c.dataLen, c.patLen, c.start), c.expected)
            << c.dataLen << " " << c.patLen << " " << c.start;
    EXPECT_EQ(FindBytes(nullptr, pattern, 7, 2, 0), -1);
    EXPECT_EQ(FindBytes(data, nullptr, 7, 2, 0), -1);
}
