// A page of SVG in millimetre coordinates: the chart and the guide are drawn as such pages and
// turned into PDF by rsvg-convert, so the page size in the file is the printed size.
#pragma once

#include <string>
#include <vector>

namespace docgen
{

// The one font family the documents use; fonts-dejavu-core provides it on the build machine and
// its metrics are what docgen measures with.
constexpr const char* kFontFamily = "DejaVu Sans";

struct TextStyle
{
    double size = 4; // mm
    bool bold = false;
    const char* fill = "#000";
    const char* anchor = "start"; // start, middle or end
};

// A piece of a line of text; lines of the guide mix plain and bold runs.
struct TextRun
{
    std::string text; // UTF-8
    bool bold = false;
};

class SvgPage
{
  public:
    SvgPage(double widthMm, double heightMm);

    void Rect(double x, double y, double w, double h, double radius, const char* fill, const char* stroke,
              double strokeWidth, const char* extra = "");
    void Line(double x1, double y1, double x2, double y2, const char* stroke, double strokeWidth);
    // A closed polygon, for the two-row Enter key.
    void Polygon(const std::vector<std::pair<double, double>>& points, const char* fill, const char* stroke,
                 double strokeWidth);
    void Text(double x, double y, const std::string& utf8, const TextStyle& style);
    void Text(double x, double y, const std::vector<TextRun>& runs, const TextStyle& style);
    void Comment(const std::string& text);

    std::string Finish() const;

  private:
    double width_, height_;
    std::string body_;
};

std::string FormatMm(double v);

} // namespace docgen
