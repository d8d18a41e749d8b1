#include "Svg.h"

#include "Utf.h"

#include <cmath>
#include <cstdio>

namespace docgen
{

std::string FormatMm(double v)
{
    // Two decimals are a hundredth of a millimetre; fixed formatting keeps the output the same
    // on every machine.
    char buf[32];
    double r = std::round(v * 100) / 100;
    if (r == 0)
        r = 0; // no "-0"
    std::snprintf(buf, sizeof buf, "%.2f", r);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

SvgPage::SvgPage(double widthMm, double heightMm) : width_(widthMm), height_(heightMm) {}

void SvgPage::Rect(double x, double y, double w, double h, double radius, const char* fill,
                   const char* stroke, double strokeWidth, const char* extra)
{
    body_ += "<rect x=\"" + FormatMm(x) + "\" y=\"" + FormatMm(y) + "\" width=\"" + FormatMm(w) +
             "\" height=\"" + FormatMm(h) + "\"";
    if (radius > 0)
        body_ += " rx=\"" + FormatMm(radius) + "\"";
    body_ += std::string(" fill=\"") + fill + "\"";
    if (stroke && *stroke)
        body_ += std::string(" stroke=\"") + stroke + "\" stroke-width=\"" + FormatMm(strokeWidth) + "\"";
    if (extra && *extra)
        body_ += std::string(" ") + extra;
    body_ += "/>\n";
}

void SvgPage::Line(double x1, double y1, double x2, double y2, const char* stroke, double strokeWidth)
{
    body_ += "<line x1=\"" + FormatMm(x1) + "\" y1=\"" + FormatMm(y1) + "\" x2=\"" + FormatMm(x2) +
             "\" y2=\"" + FormatMm(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" +
             FormatMm(strokeWidth) + "\"/>\n";
}

void SvgPage::Polygon(const std::vector<std::pair<double, double>>& points, const char* fill,
                      const char* stroke, double strokeWidth)
{
    body_ += "<polygon points=\"";
    for (size_t i = 0; i < points.size(); ++i)
        body_ += (i ? " " : "") + FormatMm(points[i].first) + "," + FormatMm(points[i].second);
    body_ += std::string("\" fill=\"") + fill + "\" stroke=\"" + stroke + "\" stroke-width=\"" +
             FormatMm(strokeWidth) + "\" stroke-linejoin=\"round\"/>\n";
}

void SvgPage::Text(double x, double y, const std::string& utf8, const TextStyle& style)
{
    Text(x, y, std::vector<TextRun>{TextRun{utf8, style.bold}}, style);
}

void SvgPage::Text(double x, double y, const std::vector<TextRun>& runs, const TextStyle& style)
{
    // xml:space="preserve" keeps the single spaces between runs; the text never holds line breaks.
    body_ += "<text x=\"" + FormatMm(x) + "\" y=\"" + FormatMm(y) + "\" font-size=\"" + FormatMm(style.size) +
             "\" xml:space=\"preserve\"";
    if (style.bold)
        body_ += " font-weight=\"bold\"";
    if (std::string(style.fill) != "#000")
        body_ += std::string(" fill=\"") + style.fill + "\"";
    if (std::string(style.anchor) != "start")
        body_ += std::string(" text-anchor=\"") + style.anchor + "\"";
    body_ += ">";
    for (const TextRun& run : runs)
    {
        if (run.bold == style.bold)
            body_ += XmlEscape(run.text);
        else
            body_ += std::string("<tspan font-weight=\"") + (run.bold ? "bold" : "normal") + "\">" +
                     XmlEscape(run.text) + "</tspan>";
    }
    body_ += "</text>\n";
}

void SvgPage::Comment(const std::string& text)
{
    std::string safe = text;
    for (size_t at = safe.find("--"); at != std::string::npos; at = safe.find("--"))
        safe.replace(at, 2, "- -");
    body_ += "<!-- " + safe + " -->\n";
}

std::string SvgPage::Finish() const
{
    std::string w = FormatMm(width_), h = FormatMm(height_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           w + "mm\" height=\"" + h + "mm\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"" +
           kFontFamily + "\">\n" + "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#fff\"/>\n" +
           body_ + "</svg>\n";
}

} // namespace docgen
