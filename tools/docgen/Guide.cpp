// The user guide: the editable text of content/docs/guide-<language>.txt, laid out on A4 portrait
// pages, the English part first, the Polish part from a new page.
//
// Source markup, one block per line or paragraph:
//   // comment             = Title             @subtitle Text      @contents      @page
//   == Heading             === Subheading      - bullet            1. numbered step
//   a blank line ends a paragraph; other lines join the block above them.
// In the text: **bold**, {tN} and {tN tA} (texts of the program's string tables, see DocText.h),
// {page:en} and {page:pl} (first page of each part) and {pages} (page count).
#include "Documents.h"
#include "TextFlow.h"
#include "Utf.h"

#include <cstdio>
#include <sstream>

namespace docgen
{

namespace
{

constexpr double kPageW = 210, kPageH = 297;
constexpr double kLeft = 22, kRight = 22, kTop = 24, kBottom = 274;
constexpr double kWidth = kPageW - kLeft - kRight;
constexpr double kBodySize = 3.7, kBodyLead = 5.3;
constexpr double kIndent = 6;

struct Block
{
    enum Kind
    {
        Title,
        Subtitle,
        Contents,
        PageBreak,
        Heading,
        Subheading,
        Paragraph,
        Bullet,
        Numbered
    } kind;
    std::string text;
    std::string marker; // number of a numbered step
};

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

bool NumberedMarker(const std::string& line, std::string& marker, std::string& rest)
{
    size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i == 0 || i + 1 >= line.size() || line[i] != '.' || line[i + 1] != ' ')
        return false;
    marker = line.substr(0, i + 1);
    rest = line.substr(i + 2);
    return true;
}

int ParseGuide(const std::string& source, const StringSource& strings, std::vector<Block>& out,
               std::string& error)
{
    out.clear();
    std::istringstream in(source);
    std::string raw;
    int lineNo = 0;
    bool open = false; // the last block takes continuation lines
    while (std::getline(in, raw))
    {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        size_t p = raw.find_first_not_of(" \t");
        std::string line = p == std::string::npos ? "" : raw.substr(p);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (StartsWith(line, "//"))
            continue;
        if (line.empty())
        {
            open = false;
            continue;
        }
        std::string expanded;
        if (!ExpandTexts(line, strings, expanded, error))
        {
            error = "line " + std::to_string(lineNo) + ": " + error;
            return 0;
        }
        std::string marker, rest;
        if (StartsWith(expanded, "=== "))
            out.push_back({Block::Subheading, expanded.substr(4), ""}), open = false;
        else if (StartsWith(expanded, "== "))
            out.push_back({Block::Heading, expanded.substr(3), ""}), open = false;
        else if (StartsWith(expanded, "= "))
            out.push_back({Block::Title, expanded.substr(2), ""}), open = false;
        else if (StartsWith(expanded, "@subtitle "))
            out.push_back({Block::Subtitle, expanded.substr(10), ""}), open = false;
        else if (expanded == "@contents")
            out.push_back({Block::Contents, "", ""}), open = false;
        else if (expanded == "@page")
            out.push_back({Block::PageBreak, "", ""}), open = false;
        else if (expanded[0] == '@')
        {
            error = "line " + std::to_string(lineNo) + ": unknown directive " + expanded;
            return 0;
        }
        else if (StartsWith(expanded, "- "))
            out.push_back({Block::Bullet, expanded.substr(2), ""}), open = true;
        else if (NumberedMarker(expanded, marker, rest))
            out.push_back({Block::Numbered, rest, marker}), open = true;
        else if (open)
            out.back().text += " " + expanded;
        else
            out.push_back({Block::Paragraph, expanded, ""}), open = true;
    }
    return 1;
}

struct Part
{
    int language;
    std::vector<Block> blocks;
};

struct HeadingEntry
{
    std::string text;
    size_t page; // 1-based
};

// Lays the parts out; values fills the {page:..} and {pages} references, and headings gives the
// contents the page numbers of the previous pass.
class Layout
{
  public:
    Layout(const DocContext& context, const std::vector<HeadingEntry> (&previous)[2])
        : context_(context), fonts_{context.regular, context.bold}, previous_(previous)
    {
    }

    std::string Resolve(std::string text) const
    {
        text = Replace(text, "page:en", std::to_string(starts[0]));
        text = Replace(text, "page:pl", std::to_string(starts[1]));
        return Replace(text, "pages", std::to_string(pageCount));
    }

    void Run(const std::vector<Part>& parts)
    {
        for (const Part& part : parts)
        {
            language_ = part.language;
            NewPage();
            starts[language_] = pages_.size();
            for (size_t i = 0; i < part.blocks.size(); ++i)
                Place(part.blocks, i);
        }
    }

    std::vector<SvgPage> Finish()
    {
        // Footers need the page count, known only now.
        for (size_t i = 0; i < pages_.size(); ++i)
        {
            const Labels& l = context_.labels[pageLanguage_[i]];
            SvgPage& page = pages_[i];
            page.Line(kLeft, kPageH - 17, kPageW - kRight, kPageH - 17, "#999", 0.2);
            TextStyle foot{2.8, false, "#555"};
            page.Text(kLeft, kPageH - 12, l.Get("doc.product") + " — " + l.Get("guide.name"), foot);
            foot.anchor = "end";
            std::string number = Replace(Replace(l.Get("guide.page"), "page", std::to_string(i + 1)), "pages",
                                         std::to_string(pages_.size()));
            page.Text(kPageW - kRight, kPageH - 12, number, foot);
        }
        return std::move(pages_);
    }

    size_t starts[2] = {1, 1};
    size_t pageCount = 99;
    std::vector<HeadingEntry> headings[2];
    std::string error;

  private:
    void NewPage()
    {
        pages_.emplace_back(kPageW, kPageH);
        pageLanguage_.push_back(language_);
        y_ = kTop;
    }

    SvgPage& Current() { return pages_.back(); }

    bool Check(const std::string& text)
    {
        for (char32_t c : DecodeUtf8(text))
            if (!context_.regular.HasGlyph(c) || !context_.bold.HasGlyph(c))
            {
                char buf[64];
                std::snprintf(buf, sizeof buf, "U+%04X has no glyph in %s", static_cast<unsigned>(c),
                              kFontFamily);
                error = buf;
                return false;
            }
        return true;
    }

    // Lines of one block, moving to a new page when they do not fit; keepLines lines must stay
    // together at the top of the block (a heading with the start of what follows it).
    void Flow(const std::vector<std::vector<TextRun>>& lines, double x, double size, double lead, bool bold,
              const char* fill, const std::string& marker = "")
    {
        for (size_t i = 0; i < lines.size(); ++i)
        {
            // A paragraph's last line does not start a page alone unless the paragraph is one line.
            bool lastAlone = i + 1 == lines.size() - 1 && lines.size() > 2;
            if (y_ + size > kBottom || (lastAlone && y_ + lead + size > kBottom))
                NewPage();
            if (i == 0 && !marker.empty())
                Current().Text(x - kIndent + 1, y_ + size, marker, TextStyle{size, bold, fill});
            Current().Text(x, y_ + size, lines[i], TextStyle{size, bold, fill});
            y_ += lead;
        }
    }

    void Room(double needed)
    {
        if (y_ + needed > kBottom)
            NewPage();
    }

    std::vector<std::vector<TextRun>> Wrap(const std::string& text, double width, double size, bool bold)
    {
        std::string resolved = Resolve(text);
        Check(resolved);
        std::vector<TextRun> runs = ParseEmphasis(resolved);
        if (bold)
            for (TextRun& r : runs)
                r.bold = true;
        return WrapRuns(runs, width, size, fonts_);
    }

    void Place(const std::vector<Block>& blocks, size_t index)
    {
        const Block& b = blocks[index];
        bool first = y_ == kTop;
        switch (b.kind)
        {
            case Block::Title:
                Flow(Wrap(b.text, kWidth, 9, true), kLeft, 9, 11, true, "#000");
                y_ += 1;
                break;
            case Block::Subtitle:
                Flow(Wrap(b.text, kWidth, 5.4, false), kLeft, 5.4, 7, false, "#333");
                y_ += 5;
                break;
            case Block::PageBreak:
                if (!first)
                    NewPage();
                break;
            case Block::Contents:
                Contents();
                break;
            case Block::Heading:
            {
                auto lines = Wrap(b.text, kWidth, 5.2, true);
                // The heading, its rule and two lines of what follows stay on one page.
                Room((first ? 0 : 6) + lines.size() * 6.6 + 3 + 2 * kBodyLead);
                if (y_ != kTop)
                    y_ += 6;
                headings[language_].push_back({Resolve(b.text), pages_.size()});
                Flow(lines, kLeft, 5.2, 6.6, true, "#0b2e6b");
                Current().Line(kLeft, y_ + 0.2, kPageW - kRight, y_ + 0.2, "#0b2e6b", 0.3);
                y_ += 3.4;
                break;
            }
            case Block::Subheading:
            {
                auto lines = Wrap(b.text, kWidth, 4.2, true);
                Room((first ? 0 : 3) + lines.size() * 5.6 + 2 * kBodyLead);
                if (y_ != kTop)
                    y_ += 3;
                Flow(lines, kLeft, 4.2, 5.6, true, "#000");
                y_ += 0.6;
                break;
            }
            case Block::Paragraph:
                Flow(Wrap(b.text, kWidth, kBodySize, false), kLeft, kBodySize, kBodyLead, false, "#000");
                y_ += 2.4;
                break;
            case Block::Bullet:
            case Block::Numbered:
            {
                auto lines = Wrap(b.text, kWidth - kIndent, kBodySize, false);
                Flow(lines, kLeft + kIndent, kBodySize, kBodyLead, false, "#000",
                     b.kind == Block::Bullet ? "•" : b.marker);
                bool nextIsItem = index + 1 < blocks.size() && blocks[index + 1].kind == b.kind;
                y_ += nextIsItem ? 1 : 2.4;
                break;
            }
        }
    }

    void Contents()
    {
        const Labels& l = context_.labels[language_];
        Room(8 + kBodyLead * 2);
        Current().Text(kLeft, y_ + 4.4, l.Get("guide.contents"), TextStyle{4.4, true});
        y_ += 7.5;
        for (const HeadingEntry& h : previous_[language_])
        {
            Room(kBodyLead);
            TextStyle style{kBodySize};
            Current().Text(kLeft + kIndent, y_ + kBodySize, h.text, style);
            style.anchor = "end";
            Current().Text(kPageW - kRight, y_ + kBodySize, std::to_string(h.page), style);
            y_ += kBodyLead;
        }
        y_ += 4;
    }

    const DocContext& context_;
    Fonts fonts_;
    const std::vector<HeadingEntry> (&previous_)[2];
    std::vector<SvgPage> pages_;
    std::vector<int> pageLanguage_;
    int language_ = 0;
    double y_ = kTop;
};

} // namespace

int MakeGuide(const DocContext& context, const std::string sources[2], SvgDocument& out, std::string& error)
{
    std::vector<Part> parts;
    for (int language = 0; language < 2; ++language)
    {
        Part part{language, {}};
        if (!ParseGuide(sources[language], context.strings[language], part.blocks, error))
        {
            error = std::string(language ? "Polish" : "English") + " guide: " + error;
            return 0;
        }
        parts.push_back(std::move(part));
    }
    // Page numbers of the contents and the cross references come from the pass before; the
    // layout no longer moves after the second pass because no text that changes wraps.
    std::vector<HeadingEntry> headings[2];
    size_t starts[2] = {1, 1}, count = 99;
    for (int pass = 0; pass < 5; ++pass)
    {
        Layout layout(context, headings);
        layout.starts[0] = starts[0];
        layout.starts[1] = starts[1];
        layout.pageCount = count;
        layout.Run(parts);
        if (!layout.error.empty())
        {
            error = "guide: " + layout.error;
            return 0;
        }
        std::vector<SvgPage> pages = layout.Finish();
        bool stable = pass > 0 && count == pages.size() && starts[0] == layout.starts[0] &&
                      starts[1] == layout.starts[1];
        for (int l = 0; l < 2; ++l)
        {
            stable = stable && headings[l].size() == layout.headings[l].size();
            for (size_t i = 0; stable && i < headings[l].size(); ++i)
                stable = headings[l][i].page == layout.headings[l][i].page;
            headings[l] = layout.headings[l];
        }
        starts[0] = layout.starts[0];
        starts[1] = layout.starts[1];
        count = pages.size();
        if (stable)
        {
            out.pages.clear();
            for (const SvgPage& p : pages)
                out.pages.push_back(p.Finish());
            for (const Labels& l : context.labels)
                if (!l.Missing().empty())
                {
                    error = "labels not defined: " + l.Missing();
                    return 0;
                }
            return 1;
        }
    }
    error = "guide: the page numbers did not settle";
    return 0;
}

} // namespace docgen
