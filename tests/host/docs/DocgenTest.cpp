// docgen's own rules: text references, and the refusals that keep a wrong chart out of the build.
#include "DocsFixture.h"

using namespace docgen;

TEST(ExpandTexts, QuotesTheProgramsTexts)
{
    DocContext context;
    LoadTestContext(context);
    const StringSource& en = context.strings[0];
    struct Case
    {
        const char* in;
        int ok;
        std::string out;
    };
    const Case cases[] = {
        {"plain {text} and {tea}", 1, "plain {text} and {tea}"},
        {"{t113}", 1, *en.Find(113)},
        {"[{t110 label}]", 1, "[" + en.Find(110)->substr(0, en.Find(110)->size() - 1) + "]"},
        {"{t129 t81}", 1, "Remove " + *en.Find(81) + " from this computer?"},
        {"{t129}", 0, ""},     // a %s without its value
        {"{t113 t81}", 0, ""}, // a value without its %s
        {"{t4000000}", 0, ""}, // no such text
        {"{t113", 0, ""},      // unclosed
        {"{t113 x81}", 0, ""}, // malformed
        {"{t67}", 1, ""},      // line breaks become spaces (checked below)
    };
    for (const Case& c : cases)
    {
        std::string out, error;
        EXPECT_EQ(ExpandTexts(c.in, en, out, error), c.ok) << c.in;
        if (c.ok && !c.out.empty())
            EXPECT_EQ(out, c.out) << c.in;
        if (c.ok)
            EXPECT_EQ(out.find_first_of("\r\n"), std::string::npos) << c.in;
    }
}

namespace
{

DocLayout SmallLayout(const char* rows)
{
    std::string text = std::string("KBD\tkbdtest\t\"Test\"\n\nSHIFTSTATE\n\n0\n1\n2\n6\n7\n\nLAYOUT\n\n") +
                       rows + "\nENDKBD\n";
    DocLayout layout;
    layout.sourceName = "test.klc";
    std::u16string wide(text.begin(), text.end());
    std::string error;
    EXPECT_TRUE(klc::ParseKlc(wide, layout.klc, error)) << error;
    return layout;
}

} // namespace

TEST(MakeChart, RefusesWhatItCannotDrawFaithfully)
{
    DocContext context;
    LoadTestContext(context);
    struct Case
    {
        const char* rows;
        int ok;
        const char* why;
    };
    const Case cases[] = {
        {"1e\tA\t1\ta\tA\t-1\t0105\t0104\n", 1, ""},
        // 0x59 is a key of some Japanese and Brazilian keyboards: the chart has no place for it.
        {"1e\tA\t1\ta\tA\t-1\t0105\t0104\n59\tOEM_8\t0\t0023\t-1\t-1\t-1\t-1\n", 0, "no place"},
        // A private-use character has no glyph in the font; the renderer would show a box.
        {"1e\tA\t1\ta\tA\t-1\te000\t-1\n", 0, "no glyph"},
    };
    for (const Case& c : cases)
    {
        SvgDocument doc;
        std::string error;
        EXPECT_EQ(MakeChart(context, {SmallLayout(c.rows)}, doc, error), c.ok) << c.rows;
        if (c.ok)
        {
            ASSERT_EQ(doc.pages.size(), 1u);
            EXPECT_NE(doc.pages[0].find(">ą</text>"), std::string::npos);
        }
        else
            EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
}
