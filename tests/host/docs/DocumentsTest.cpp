// The companion documents as built: file A (chart.pdf), file B (guide.pdf), file D (quickref.html).
#include "DocsFixture.h"
#include "PdfText.h"
#include "Utf.h"

#include <ctime>
#include <fstream>
#include <iterator>

using namespace docgen;

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

int PageCount(const std::string& pdf)
{
    std::string text;
    int n = 0;
    while (n < 100 && PdfPageText(pdf, n + 1, text))
        ++n;
    return n;
}

// Whether the word holds text drawn inside the box. pdftotext joins glyphs that sit close
// ("5‰" of one key), so the text's place in the word is estimated from its share of the word's
// characters.
bool Shows(const PdfWord& w, const std::string& text, double x0, double y0, double x1, double y1)
{
    double cy = (w.yMin + w.yMax) / 2;
    if (cy < y0 || cy > y1)
        return false;
    std::u32string all = DecodeUtf8(w.text), part = DecodeUtf8(text);
    for (size_t at = all.find(part); at != std::u32string::npos; at = all.find(part, at + 1))
    {
        double share = (w.xMax - w.xMin) / static_cast<double>(all.size());
        double cx = w.xMin + share * (static_cast<double>(at) + static_cast<double>(part.size()) / 2);
        if (cx >= x0 && cx <= x1)
            return true;
    }
    return false;
}

std::string Title(const DocContext& c, const DocLayout& layout, int language)
{
    const Labels& l = c.labels[language];
    return l.Get("variant." + std::to_string(layout.variant)) + " — " +
           l.Get("set." + std::to_string(layout.set));
}

} // namespace

TEST(ChartPdf, HasOneA4LandscapePageForEachVariantAndSet)
{
    std::vector<DocLayout> layouts = TestLayouts();
    ASSERT_EQ(layouts.size(), 6u);
    EXPECT_EQ(PageCount(OGONEK_DOC_CHART), 6);
    DocContext context;
    LoadTestContext(context);
    for (size_t i = 0; i < layouts.size(); ++i)
    {
        std::vector<PdfWord> words;
        double w = 0, h = 0;
        ASSERT_TRUE(PdfPageWords(OGONEK_DOC_CHART, static_cast<int>(i + 1), words, w, h));
        EXPECT_NEAR(w, 297, 0.5);
        EXPECT_NEAR(h, 210, 0.5);
        std::string text;
        ASSERT_TRUE(PdfPageText(OGONEK_DOC_CHART, static_cast<int>(i + 1), text));
        text = Squeeze(text);
        for (int language = 0; language < 2; ++language)
            EXPECT_NE(text.find(Title(context, layouts[i], language)), std::string::npos)
                << "page " << i + 1 << " should be titled " << Title(context, layouts[i], language);
    }
}

// Each character of a key must be drawn on the key, in the corner of its shift state.
TEST(ChartPdf, EveryKeyShowsItsCharactersInTheCornerOfTheirState)
{
    std::vector<DocLayout> layouts = TestLayouts();
    for (size_t page = 0; page < layouts.size(); ++page)
    {
        const DocLayout& layout = layouts[page];
        std::vector<PdfWord> words;
        double pw = 0, ph = 0;
        ASSERT_TRUE(PdfPageWords(OGONEK_DOC_CHART, static_cast<int>(page + 1), words, pw, ph));
        for (const klc::KlcKey& key : layout.klc.keys)
        {
            double x, y, w, h;
            ASSERT_TRUE(ChartKeyBox(key.scanCode, x, y, w, h))
                << layout.sourceName << " key " << key.scanCode;
            KeyChars chars = CharsOf(layout.klc, key);
            for (int s = 0; s < kChartStates; ++s)
            {
                const klc::KlcChar& ch = chars.state[s];
                if (!ch.defined || ch.ch == u' ')
                    continue;
                bool right = s == kAltGr || s == kAltGrShift, top = s == kShift || s == kAltGrShift;
                double x0 = right ? x + w / 2 : x, y0 = top ? y : y + h / 2;
                bool found = false;
                for (const PdfWord& word : words)
                    found = found || Shows(word, Shown(ch.ch), x0, y0, x0 + w / 2, y0 + h / 2);
                EXPECT_TRUE(found) << layout.sourceName << ": key " << std::hex << key.scanCode << " state "
                                   << s << " should show " << Hex(ch.ch) << " (" << Shown(ch.ch) << ")";
            }
        }
    }
}

TEST(ChartPdf, EveryCharacterOfTheSourceIsOnItsPage)
{
    std::vector<DocLayout> layouts = TestLayouts();
    for (size_t page = 0; page < layouts.size(); ++page)
    {
        std::string text;
        ASSERT_TRUE(PdfPageText(OGONEK_DOC_CHART, static_cast<int>(page + 1), text));
        std::vector<char16_t> chars = ChartCharacters(layouts[page].klc);
        EXPECT_GT(chars.size(), 90u);
        for (char16_t c : chars)
            EXPECT_NE(text.find(Shown(c)), std::string::npos)
                << layouts[page].sourceName << ": " << Hex(c) << " (" << Shown(c) << ") is not on page "
                << page + 1;
        // The dead-key panel shows what each combination makes.
        for (const klc::KlcDeadKey& dead : layouts[page].klc.deadKeys)
            for (const auto& [base, composed] : dead.combinations)
                if (base != u' ')
                    EXPECT_NE(Squeeze(text).find(Shown(base) + "→" + Shown(composed)), std::string::npos)
                        << layouts[page].sourceName << ": " << Hex(dead.accent) << " + " << Hex(base);
    }
}

// The guide's wrapping and the chart's notes are measured by docgen: nothing may run past the margins.
TEST(Documents, TextStaysInsideThePageMargins)
{
    struct Doc
    {
        const char* pdf;
        double margin;
    };
    for (const Doc& doc : {Doc{OGONEK_DOC_CHART, 12}, Doc{OGONEK_DOC_GUIDE, 22}})
    {
        int pages = PageCount(doc.pdf);
        ASSERT_GT(pages, 0) << doc.pdf;
        for (int page = 1; page <= pages; ++page)
        {
            std::vector<PdfWord> words;
            double w = 0, h = 0;
            ASSERT_TRUE(PdfPageWords(doc.pdf, page, words, w, h));
            ASSERT_FALSE(words.empty());
            for (const PdfWord& word : words)
            {
                EXPECT_GE(word.xMin, doc.margin - 0.5) << doc.pdf << " page " << page << ": " << word.text;
                EXPECT_LE(word.xMax, w - doc.margin + 0.5)
                    << doc.pdf << " page " << page << ": " << word.text;
                EXPECT_LE(word.yMax, h - 6) << doc.pdf << " page " << page << ": " << word.text;
            }
        }
    }
}

TEST(Documents, PdfsCarryTheFixedCreationDate)
{
    std::time_t epoch = OGONEK_DOC_EPOCH;
    std::tm utc{};
    gmtime_r(&epoch, &utc);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "/CreationDate (%Y%m%d%H%M%S+00'00)", &utc);
    for (const char* pdf : {OGONEK_DOC_CHART, OGONEK_DOC_GUIDE})
    {
        std::string bytes = ReadFile(pdf);
        ASSERT_EQ(bytes.compare(0, 5, "%PDF-"), 0) << pdf;
        EXPECT_NE(bytes.find(stamp), std::string::npos) << pdf << " should carry " << stamp;
    }
}

TEST(QuickReference, ListsEveryAltGrCharacterOfEveryLayoutInItsSection)
{
    std::string html = ReadFile(OGONEK_DOC_QUICKREF);
    for (const DocLayout& layout : TestLayouts())
    {
        std::string id =
            "<section id=\"v" + std::to_string(layout.variant) + "s" + std::to_string(layout.set) + "\">";
        size_t begin = html.find(id);
        ASSERT_NE(begin, std::string::npos) << id;
        std::string section = html.substr(begin, html.find("</section>", begin) - begin);
        size_t count = 0;
        for (const klc::KlcKey& key : layout.klc.keys)
        {
            KeyChars chars = CharsOf(layout.klc, key);
            for (int s : {kAltGr, kAltGrShift})
            {
                const klc::KlcChar& ch = chars.state[s];
                if (!ch.defined)
                    continue;
                ++count;
                std::string cell = std::string(ch.dead ? "<td class=\"c dead\">" : "<td class=\"c\">") +
                                   XmlEscape(Shown(ch.ch)) + "</td>";
                EXPECT_NE(section.find(cell), std::string::npos)
                    << layout.sourceName << ": " << Hex(ch.ch) << " should be in a cell " << cell;
            }
        }
        EXPECT_GE(count, 18u) << layout.sourceName; // at least the nine Polish letters and capitals
        for (const klc::KlcDeadKey& dead : layout.klc.deadKeys)
            for (const auto& [base, composed] : dead.combinations)
                if (base != u' ')
                    EXPECT_NE(section.find(XmlEscape(Shown(base)) + "→" + XmlEscape(Shown(composed))),
                              std::string::npos)
                        << layout.sourceName << ": " << Hex(dead.accent) << " + " << Hex(base);
    }
}

TEST(QuickReference, IsOneSelfContainedUtf8Page)
{
    std::string html = ReadFile(OGONEK_DOC_QUICKREF);
    ASSERT_FALSE(html.empty());
    EXPECT_EQ(html.compare(0, 15, "<!DOCTYPE html>"), 0);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_EQ(DecodeUtf8(html).find(U'\uFFFD'), std::u32string::npos) << "not valid UTF-8";
    for (const char* outside : {"src=", "<link", "@import", "http:", "https:", "url("})
        EXPECT_EQ(html.find(outside), std::string::npos) << "refers outside itself: " << outside;
    EXPECT_NE(html.find("Ą"), std::string::npos);
}

// The guide covers choosing, switching, the decimal key, key assignments and removal, in both
// languages, in the words of the program's own captions.
TEST(Guide, CoversEachTopicInBothLanguagesInTheProgramsWords)
{
    DocContext context;
    LoadTestContext(context);
    int pages = PageCount(OGONEK_DOC_GUIDE);
    ASSERT_GE(pages, 4);
    std::string parts[2];
    for (int page = 1; page <= pages; ++page)
    {
        std::string text;
        ASSERT_TRUE(PdfPageText(OGONEK_DOC_GUIDE, page, text));
        text = Squeeze(text);
        int language = text.find(context.labels[1].Get("guide.name")) != std::string::npos ? 1 : 0;
        EXPECT_NE(text.find(context.labels[language].Get("guide.name")), std::string::npos)
            << "page " << page;
        parts[language] += text + " ";
    }
    const char* references[] = {// the variants and sets
                                "{t113}", "{t114}", "{t115}", "{t109}", "{t110 label}",
                                // installing and switching
                                "{t81}", "{t139}", "{t105}", "{t104}", "Windows 2000", "Windows XP",
                                "Windows Vista", "Windows 8", "Windows+", "Ctrl+Alt",
                                // the decimal key
                                "{t111 label}", "{t119}", "{t120}",
                                // key assignments: the page's button and its fourteen keys
                                "{t152}", "{t280}", "{t281}", "{t282}", "{t283}", "{t284}", "{t285}",
                                "{t228}", "{t229}", "{t230}", "{t317}", "{t167}", "{t174}", "{t279}",
                                "{t278}", "{t326}",
                                // changing and removing
                                "{t128}", "{t127}", "{t129 t81}", "{t48 t81}", "setup.exe"};
    for (int language = 0; language < 2; ++language)
    {
        ASSERT_FALSE(parts[language].empty()) << "no pages in language " << language;
        for (const char* reference : references)
        {
            std::string expected, error;
            ASSERT_TRUE(ExpandTexts(reference, context.strings[language], expected, error)) << error;
            EXPECT_NE(parts[language].find(expected), std::string::npos)
                << "language " << language << " should mention " << expected;
        }
    }
}
