// The quick reference: one self-contained UTF-8 HTML page with, for every variant and set, the
// keys that type something with AltGr, the way to each Polish letter and the dead keys.
#include "Documents.h"
#include "Utf.h"

namespace docgen
{

namespace
{

constexpr const char* kStyle =
    R"(body{font-family:"DejaVu Sans",Verdana,Arial,sans-serif;max-width:62em;margin:1.2em auto;padding:0 1em;color:#111;line-height:1.4}
h1{font-size:1.5em;margin-bottom:.2em}
h2{font-size:1.15em;margin-top:1.8em;color:#0b2e6b;border-bottom:1px solid #0b2e6b}
h3{font-size:1em;margin:1em 0 .3em}
.pl{color:#444}
nav{margin:.8em 0}nav a{margin-right:1.2em;white-space:nowrap}
table{border-collapse:collapse;margin:.3em 0 .6em}
th,td{border:1px solid #bbb;padding:.15em .7em;text-align:center}
th{background:#eef2fa;font-weight:normal}
td.c{font-size:1.3em;min-width:1.6em}
.dead{color:#b00000;background:#fde4e1}
.letters span.k{display:inline-block;margin-right:1.2em}
@media print{h2{page-break-before:auto}section{page-break-inside:avoid}}
)";

std::string H(const std::string& utf8)
{
    return XmlEscape(utf8);
}

// One line in both languages: English, then the Polish text marked as Polish.
std::string Both(const DocContext& c, const std::string& label, const char* separator = " · ")
{
    return H(c.labels[0].Get(label)) + "<span class=\"pl\" lang=\"pl\">" + separator +
           H(c.labels[1].Get(label)) + "</span>";
}

std::string Title(const DocContext& c, const DocLayout& layout, int language)
{
    const Labels& l = c.labels[language];
    return l.Get("variant." + std::to_string(layout.variant)) + " — " +
           l.Get("set." + std::to_string(layout.set));
}

std::string Cell(const klc::KlcChar& ch)
{
    if (!ch.defined)
        return "<td></td>";
    std::string shown = H(Shown(ch.ch));
    if (ch.dead)
        return "<td class=\"c dead\">" + shown + "</td>";
    return "<td class=\"c\">" + shown + "</td>";
}

std::string Place(const DocContext& c, const DocLayout& layout, char16_t ch, bool dead)
{
    CharPlace p = FindChar(layout.klc, ch, dead);
    if (!p.key)
        return "—";
    if (p.state == kBase)
        return H(c.labels[0].Get("panel.ownkey")) + "<span class=\"pl\" lang=\"pl\"> · " +
               H(c.labels[1].Get("panel.ownkey")) + "</span>";
    return H(StatePrefix(p.state) + KeyCap(layout.klc, *p.key, c.labels[0].Get("key.space")));
}

std::string Section(const DocContext& c, const DocLayout& layout)
{
    std::string id = "v" + std::to_string(layout.variant) + "s" + std::to_string(layout.set);
    std::string out = "<section id=\"" + id + "\">\n<h2>" + H(Title(c, layout, 0)) +
                      "<span class=\"pl\" lang=\"pl\"> · " + H(Title(c, layout, 1)) + "</span></h2>\n";

    out += "<p class=\"letters\">" + Both(c, "panel.polish") + ":<br>";
    for (char16_t letter : std::u16string(u"ąćęłńóśźż"))
        out += "<span class=\"k\"><b>" + H(Shown(letter)) + "</b> " + Place(c, layout, letter, false) + "</span>";
    out += "</p>\n";

    out += "<table>\n<tr><th>" + Both(c, "qr.key", " / ") + "</th><th>AltGr</th><th>AltGr+Shift</th></tr>\n";
    for (const klc::KlcKey& key : layout.klc.keys)
    {
        KeyChars chars = CharsOf(layout.klc, key);
        if (!chars.state[kAltGr].defined && !chars.state[kAltGrShift].defined)
            continue;
        out += "<tr><td>" + H(KeyCap(layout.klc, key, c.labels[0].Get("key.space"))) + "</td>" +
               Cell(chars.state[kAltGr]) + Cell(chars.state[kAltGrShift]) + "</tr>\n";
    }
    out += "</table>\n";

    if (!layout.klc.deadKeys.empty())
    {
        out += "<h3>" + Both(c, "panel.dead") + "</h3>\n<table>\n";
        for (const klc::KlcDeadKey& dead : layout.klc.deadKeys)
        {
            out += "<tr><td class=\"c dead\">" + H(Shown(dead.accent)) + "</td><td>" +
                   Place(c, layout, dead.accent, true) + "</td><td style=\"text-align:left\">";
            bool first = true;
            for (const auto& [base, composed] : dead.combinations)
            {
                if (base == u' ')
                    continue;
                out += (first ? "" : " &nbsp;") + H(Shown(base)) + "→" + H(Shown(composed));
                first = false;
            }
            out += "</td></tr>\n";
        }
        out += "</table>\n<p>" + Both(c, "panel.deadspace") + "</p>\n";
    }
    out += "</section>\n";
    return out;
}

} // namespace

int MakeQuickReference(const DocContext& c, const std::vector<DocLayout>& layouts, std::string& html,
                       std::string& error)
{
    std::string title = c.labels[0].Get("doc.product") + " — " + c.labels[0].Get("qr.title") + " · " +
                        c.labels[1].Get("qr.title");
    html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           H(title) + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n";
    html += "<!-- Generated by docgen from the layout sources; edit those, not this file. -->\n";
    html += "<h1>" + H(c.labels[0].Get("doc.product")) + " — " + Both(c, "qr.title") + "</h1>\n";
    html += "<p>" + H(c.labels[0].Get("qr.intro")) + "</p>\n<p class=\"pl\" lang=\"pl\">" +
            H(c.labels[1].Get("qr.intro")) + "</p>\n<nav>";
    for (const DocLayout& layout : layouts)
        html += "<a href=\"#v" + std::to_string(layout.variant) + "s" + std::to_string(layout.set) + "\">" +
                H(Title(c, layout, 0)) + "</a> ";
    html += "</nav>\n";
    for (const DocLayout& layout : layouts)
        html += Section(c, layout);
    html += "<p class=\"pl\">" + H(c.labels[0].Get("qr.chart")) + "<br><span lang=\"pl\">" +
            H(c.labels[1].Get("qr.chart")) + "</span></p>\n</body>\n</html>\n";
    for (const Labels& l : c.labels)
        if (!l.Missing().empty())
        {
            error = "labels not defined: " + l.Missing();
            return 0;
        }
    return 1;
}

} // namespace docgen
