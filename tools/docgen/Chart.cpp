// The keyboard chart: one A4 landscape page per variant and build set, each key drawn with what
// it types alone, with Shift, with AltGr and with AltGr+Shift, dead keys boxed in red, and a
// panel with the Polish letters and the dead-key combinations.
#include "Documents.h"
#include "TextFlow.h"
#include "Utf.h"

#include <algorithm>
#include <cstdio>

namespace docgen
{

namespace
{

constexpr double kPageW = 297, kPageH = 210;
constexpr double kMargin = 12;
constexpr double kUnit = 16.5; // one key pitch in mm: 16.5 units across fill the page
constexpr double kGap = 0.7;
constexpr double kBoardX = kMargin, kBoardY = 33;
constexpr double kCharSize = 5.2;

constexpr const char* kInk = "#000";
constexpr const char* kAltGrInk = "#1746a2";
constexpr const char* kDeadInk = "#b00000";
constexpr const char* kGreyInk = "#555";

// Where a key sits on an ISO (102-key) board, in key units; label names a key that types nothing.
struct Slot
{
    uint16_t scan;
    double x, y, w;
    const char* label;
};

std::vector<Slot> BoardSlots()
{
    std::vector<Slot> s;
    s.push_back({0x29, 0, 0, 1, nullptr});
    for (int i = 0; i < 12; ++i)
        s.push_back({static_cast<uint16_t>(0x02 + i), 1.0 + i, 0, 1, nullptr});
    s.push_back({0x0E, 13, 0, 2, "key.backspace"});
    s.push_back({0x0F, 0, 1, 1.5, "key.tab"});
    for (int i = 0; i < 12; ++i)
        s.push_back({static_cast<uint16_t>(0x10 + i), 1.5 + i, 1, 1, nullptr});
    s.push_back({0x3A, 0, 2, 1.75, "key.caps"});
    for (int i = 0; i < 11; ++i)
        s.push_back({static_cast<uint16_t>(0x1E + i), 1.75 + i, 2, 1, nullptr});
    s.push_back({0x2B, 12.75, 2, 1, nullptr});
    s.push_back({0x2A, 0, 3, 1.25, "key.shift"});
    s.push_back({0x56, 1.25, 3, 1, nullptr});
    for (int i = 0; i < 10; ++i)
        s.push_back({static_cast<uint16_t>(0x2C + i), 2.25 + i, 3, 1, nullptr});
    s.push_back({0x36, 12.25, 3, 2.75, "key.shift"});
    s.push_back({0x1D, 0, 4, 1.25, "key.ctrl"});
    s.push_back({0xE05B, 1.25, 4, 1.25, "key.win"});
    s.push_back({0x38, 2.5, 4, 1.25, "key.alt"});
    s.push_back({0x39, 3.75, 4, 6.25, nullptr});
    s.push_back({0xE038, 10, 4, 1.25, "key.altgr"});
    s.push_back({0xE05C, 11.25, 4, 1.25, "key.win"});
    s.push_back({0xE05D, 12.5, 4, 1.25, "key.menu"});
    s.push_back({0xE01D, 13.75, 4, 1.25, "key.ctrl"});
    s.push_back({0x53, 15.5, 4, 1, nullptr}); // the numeric keypad's decimal key
    return s;
}

struct Page
{
    Page(const DocContext& c, const DocLayout& l) : context(c), layout(l), fonts{c.regular, c.bold} {}

    const DocContext& context;
    const DocLayout& layout;
    Fonts fonts;
    SvgPage svg{kPageW, kPageH};
    std::string error;

    const Labels& En() const { return context.labels[0]; }
    const Labels& Pl() const { return context.labels[1]; }

    // Characters the renderer would have to borrow from another font are refused: the chart
    // must show exactly the glyphs docgen measured.
    bool Check(const std::string& utf8)
    {
        for (char32_t c : DecodeUtf8(utf8))
            if (!fonts.regular.HasGlyph(c) || !fonts.bold.HasGlyph(c))
            {
                char buf[64];
                std::snprintf(buf, sizeof buf, "U+%04X has no glyph in %s", static_cast<unsigned>(c),
                              kFontFamily);
                error = layout.sourceName + ": " + buf;
                return false;
            }
        return true;
    }

    void Char(double cx, double baseline, const klc::KlcChar& ch, const char* ink)
    {
        std::string shown = Shown(ch.ch);
        bool named = !InvisibleName(ch.ch).empty();
        if (!Check(shown))
            return;
        double size = named ? 2.5 : kCharSize;
        if (ch.dead)
        {
            svg.Rect(cx - 3.1, baseline - 4.9, 6.2, 6.4, 0.8, "#fde4e1", kDeadInk, 0.3,
                     "stroke-dasharray=\"0.9,0.5\"");
            ink = kDeadInk;
        }
        svg.Text(cx, baseline, shown, TextStyle{size, false, ink, "middle"});
    }

    void CharKey(double x, double y, double w, const klc::KlcKey* key)
    {
        svg.Rect(x, y, w, kUnit - kGap, 1.2, "#fbfbfb", "#333", 0.35);
        if (!key)
            return;
        KeyChars chars = CharsOf(layout.klc, *key);
        double h = kUnit - kGap;
        if (key->scanCode == 0x39)
        {
            std::string name = En().Get("key.space") + " · " + Pl().Get("key.space");
            svg.Text(x + w / 2, y + h / 2 + 1, name, TextStyle{2.8, false, kGreyInk, "middle"});
            if (chars.state[kAltGr].defined)
                Char(x + w - 6, y + h - 2.6, chars.state[kAltGr], kAltGrInk);
            if (chars.state[kAltGrShift].defined)
                Char(x + w - 6, y + 6.2, chars.state[kAltGrShift], kAltGrInk);
            return;
        }
        double left = x + w * 0.28, right = x + w * 0.72;
        double top = y + 6.3, bottom = y + h - 2.6;
        if (chars.state[kShift].defined)
            Char(left, top, chars.state[kShift], kInk);
        if (chars.state[kBase].defined)
            Char(left, bottom, chars.state[kBase], kInk);
        if (chars.state[kAltGrShift].defined)
            Char(right, top, chars.state[kAltGrShift], kAltGrInk);
        if (chars.state[kAltGr].defined)
            Char(right, bottom, chars.state[kAltGr], kAltGrInk);
    }

    void NamedKey(double x, double y, double w, const char* label)
    {
        bool altGr = std::string(label) == "key.altgr";
        svg.Rect(x, y, w, kUnit - kGap, 1.2, altGr ? "#dbe5f8" : "#e6e6e6", "#333", 0.35);
        svg.Text(x + 1.8, y + 5, En().Get(label), TextStyle{2.9, altGr, altGr ? kAltGrInk : "#222"});
    }

    void Board()
    {
        for (const klc::KlcKey& key : layout.klc.keys)
        {
            bool placed = false;
            for (const Slot& s : BoardSlots())
                placed = placed || (s.scan == key.scanCode && !s.label);
            if (!placed)
            {
                char buf[96];
                std::snprintf(buf, sizeof buf, "key with scan code %X (line %d) has no place on the chart",
                              key.scanCode, key.line);
                error = layout.sourceName + ": " + buf;
                return;
            }
        }
        for (const Slot& s : BoardSlots())
        {
            double x = kBoardX + s.x * kUnit + kGap / 2, y = kBoardY + s.y * kUnit + kGap / 2;
            double w = s.w * kUnit - kGap;
            if (s.label)
                NamedKey(x, y, w, s.label);
            else
                CharKey(x, y, w, layout.klc.FindKey(s.scan));
        }
        // ISO Enter: wide in the upper row, narrower in the lower one.
        double g = kGap / 2;
        double x1 = kBoardX + 13.5 * kUnit + g, x2 = kBoardX + 13.75 * kUnit + g,
               xr = kBoardX + 15 * kUnit - g;
        double y1 = kBoardY + kUnit + g, y2 = kBoardY + 2 * kUnit - g, y3 = kBoardY + 3 * kUnit - g;
        svg.Polygon({{x1, y1}, {xr, y1}, {xr, y3}, {x2, y3}, {x2, y2}, {x1, y2}}, "#e6e6e6", "#333", 0.35);
        svg.Text(x1 + 1.8, y1 + 5, En().Get("key.enter"), TextStyle{2.9, false, "#222"});

        // Right-aligned over the decimal key, which ends at the right margin.
        double kx = kBoardX + 16.5 * kUnit - kGap / 2;
        svg.Text(kx, kBoardY + 4 * kUnit - 4.2, En().Get("key.keypad"),
                 TextStyle{2.4, false, kGreyInk, "end"});
        svg.Text(kx, kBoardY + 4 * kUnit - 1.4, Pl().Get("key.keypad"),
                 TextStyle{2.4, false, kGreyInk, "end"});
    }

    double Lines(double x, double y, double width, const std::string& text, double size, const char* ink,
                 double lineHeight)
    {
        if (!Check(text))
            return y;
        for (const auto& line : WrapRuns(ParseEmphasis(text), width, size, fonts))
        {
            svg.Text(x, y, line, TextStyle{size, false, ink});
            y += lineHeight;
        }
        return y;
    }

    void DeadBox(double x, double baseline, double w, double h)
    {
        svg.Rect(x, baseline - h + 1.3, w, h, 0.6, "#fde4e1", kDeadInk, 0.3, "stroke-dasharray=\"0.9,0.5\"");
    }

    void Legend()
    {
        double x = kMargin, y = 124, s = 30;
        svg.Rect(x, y, s, s, 1.5, "#fbfbfb", "#333", 0.35);
        struct Corner
        {
            const char* label;
            double cx, cy;
            const char* ink;
        };
        const Corner corners[] = {{"legend.shift", x + s * 0.25, y + 6, kInk},
                                  {"legend.altgrshift", x + s * 0.75, y + 6, kAltGrInk},
                                  {"legend.base", x + s * 0.25, y + s - 7, kInk},
                                  {"legend.altgr", x + s * 0.75, y + s - 7, kAltGrInk}};
        for (const Corner& c : corners)
        {
            svg.Text(c.cx, c.cy, En().Get(c.label), TextStyle{2.1, false, c.ink, "middle"});
            svg.Text(c.cx, c.cy + 2.8, Pl().Get(c.label), TextStyle{2.1, false, c.ink, "middle"});
        }
        svg.Line(x + s / 2, y + 2, x + s / 2, y + s - 2, "#bbb", 0.2);
        svg.Line(x + 2, y + s / 2, x + s - 2, y + s / 2, "#bbb", 0.2);

        double tx = x + s + 5, width = 114 - tx, ty = y + 3.5;
        const double size = 2.9, lh = 3.9;
        ty = Lines(tx, ty, width, En().Get("legend.altgrkey"), size, kInk, lh);
        ty = Lines(tx, ty, width, Pl().Get("legend.altgrkey"), size, kGreyInk, lh) + 1.6;
        ty = Lines(tx, ty, width, En().Get("legend.blue"), size, kAltGrInk, lh);
        ty = Lines(tx, ty, width, Pl().Get("legend.blue"), size, kAltGrInk, lh) + 1.6;
        DeadBox(tx, ty, 4.4, 4.4);
        ty = Lines(tx + 6, ty, width - 6, En().Get("legend.dead"), size, kDeadInk, lh);
        ty = Lines(tx + 6, ty, width - 6, Pl().Get("legend.dead"), size, kDeadInk, lh) + 1.6;

        double ny = std::max(y + s + 6, ty + 2);
        ny = Lines(x, ny, 102, En().Get("legend.decimal"), size, kInk, lh);
        Lines(x, ny, 102, Pl().Get("legend.decimal"), size, kGreyInk, lh);
    }

    std::string Place(char16_t c, bool dead, int language)
    {
        CharPlace p = FindChar(layout.klc, c, dead);
        if (!p.key)
            return "—";
        if (p.state == kBase)
            return context.labels[language].Get("panel.ownkey");
        return StatePrefix(p.state) + KeyCap(layout.klc, *p.key, context.labels[language].Get("key.space"));
    }

    // Items in columns as wide as the widest item, so that the eye can run down them; returns
    // the baseline after the last row.
    double Grid(double x, double y, double width, const std::vector<std::string>& items, double size,
                double lead, double gap, double fixedCell = 0)
    {
        double widest = fixedCell > 0 ? fixedCell - gap : 0;
        for (const std::string& item : items)
        {
            if (!Check(item))
                return y;
            widest = std::max(widest, RunsWidth(ParseEmphasis(item), size, fonts));
        }
        size_t columns = std::max<size_t>(1, static_cast<size_t>((width + gap) / (widest + gap)));
        double cell = columns >= items.size() && fixedCell <= 0 ? width / static_cast<double>(items.size())
                                                                : widest + gap;
        for (size_t i = 0; i < items.size(); ++i)
        {
            if (i && i % columns == 0)
                y += lead;
            svg.Text(x + static_cast<double>(i % columns) * cell, y, ParseEmphasis(items[i]),
                     TextStyle{size});
        }
        return y + lead;
    }

    void Panel()
    {
        double x = 122, width = kPageW - kMargin - x, y = 127;
        const double size = 3.3, lh = 4.7;
        svg.Text(x, y, En().Get("panel.polish") + " · " + Pl().Get("panel.polish"), TextStyle{3.6, true});
        y += 5.6;
        std::vector<std::string> letters;
        for (char16_t c : std::u16string(u"ąćęłńóśźż"))
            letters.push_back("**" + EncodeUtf8(static_cast<char32_t>(c)) + "** " + Place(c, false, 0));
        y = Grid(x, y, width, letters, 3.1, lh, 1.5);
        y = Lines(x, y, width, En().Get("panel.capitals") + " · " + Pl().Get("panel.capitals"), 2.8, kGreyInk,
                  4);
        y += 3.5;

        svg.Text(x, y, En().Get("panel.dead") + " · " + Pl().Get("panel.dead"), TextStyle{3.6, true});
        y += 5.6;
        if (layout.klc.deadKeys.empty())
        {
            y = Lines(x, y, width, En().Get("panel.nodead"), 2.9, kInk, 3.9);
            Lines(x, y, width, Pl().Get("panel.nodead"), 2.9, kGreyInk, 3.9);
            return;
        }
        // Each dead key: its accent boxed, where it is, then what it makes in columns.
        const double comboX = x + 33;
        double cell = 0; // one column width for all dead keys, so that their columns line up
        for (const klc::KlcDeadKey& dead : layout.klc.deadKeys)
            for (const auto& [base, composed] : dead.combinations)
                cell = std::max(cell, fonts.regular.Width(Shown(base) + "→" + Shown(composed), size) + 2.2);
        for (const klc::KlcDeadKey& dead : layout.klc.deadKeys)
        {
            std::string accent = Shown(dead.accent);
            if (!Check(accent))
                return;
            DeadBox(x, y, 5, 5.2);
            svg.Text(x + 2.5, y, accent, TextStyle{size, true, kDeadInk, "middle"});
            svg.Text(x + 6.5, y, Place(dead.accent, true, 0), TextStyle{2.8, false, kGreyInk});
            std::vector<std::string> combos;
            for (const auto& [base, composed] : dead.combinations)
                if (base != u' ') // the accent itself, said once for all below
                    combos.push_back(Shown(base) + "→" + Shown(composed));
            y = Grid(comboX, y, kPageW - kMargin - comboX, combos, size, lh, 2.2, cell) + 1.4;
        }
        y = Lines(x, y + 0.5, width, En().Get("panel.deadspace"), 2.8, kGreyInk, 3.8);
        Lines(x, y, width, Pl().Get("panel.deadspace"), 2.8, kGreyInk, 3.8);
    }

    void Titles(size_t number, size_t count)
    {
        auto title = [&](int language)
        {
            const Labels& l = context.labels[language];
            return l.Get("variant." + std::to_string(layout.variant)) + " — " +
                   l.Get("set." + std::to_string(layout.set));
        };
        svg.Text(kMargin, 19, En().Get("doc.product") + " · " + title(0), TextStyle{6.5, true});
        svg.Text(kMargin, 26.5, title(1), TextStyle{5, false, "#333"});
        std::string name = En().Get("chart.name") + " · " + Pl().Get("chart.name");
        svg.Text(kPageW - kMargin, 19, name, TextStyle{3.4, false, kGreyInk, "end"});
        TextStyle foot{2.6, false, kGreyInk};
        std::string klcName = Utf16ToUtf8(layout.klc.description);
        svg.Text(kMargin, kPageH - 8,
                 En().Get("doc.product") + " · " + klcName + " (" + layout.sourceName + ")", foot);
        foot.anchor = "end";
        std::string page = Replace(Replace(En().Get("chart.page"), "page", std::to_string(number)), "pages",
                                   std::to_string(count));
        svg.Text(kPageW - kMargin, kPageH - 8, page, foot);
        Check(title(0) + title(1) + name);
    }
};

} // namespace

std::string StatePrefix(int chartState)
{
    switch (chartState)
    {
        case kShift:
            return "Shift+";
        case kAltGr:
            return "AltGr+";
        case kAltGrShift:
            return "AltGr+Shift+";
        default:
            return "";
    }
}

int ChartKeyBox(uint16_t scanCode, double& x, double& y, double& w, double& h)
{
    for (const Slot& s : BoardSlots())
        if (s.scan == scanCode && !s.label)
        {
            x = kBoardX + s.x * kUnit + kGap / 2;
            y = kBoardY + s.y * kUnit + kGap / 2;
            w = s.w * kUnit - kGap;
            h = kUnit - kGap;
            return 1;
        }
    return 0;
}

int MakeChart(const DocContext& context, const std::vector<DocLayout>& layouts, SvgDocument& out,
              std::string& error)
{
    out.pages.clear();
    for (size_t i = 0; i < layouts.size(); ++i)
    {
        Page page(context, layouts[i]);
        page.svg.Comment("Generated by docgen from " + layouts[i].sourceName +
                         "; edit the source, not this file.");
        page.Titles(i + 1, layouts.size());
        page.Board();
        page.Legend();
        page.Panel();
        if (!page.error.empty())
        {
            error = page.error;
            return 0;
        }
        out.pages.push_back(page.svg.Finish());
    }
    for (const Labels& l : context.labels)
        if (!l.Missing().empty())
        {
            error = "labels not defined: " + l.Missing();
            return 0;
        }
    return 1;
}

} // namespace docgen
