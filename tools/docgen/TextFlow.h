// Greedy line breaking of mixed plain and bold text with the real advance widths of the font,
// shared by the guide's paragraphs and the chart's notes.
#pragma once

#include "FontMetrics.h"
#include "Svg.h"

#include <string>
#include <vector>

namespace docgen
{

struct Fonts
{
    const FontMetrics& regular;
    const FontMetrics& bold;
    const FontMetrics& Of(bool isBold) const { return isBold ? bold : regular; }
};

// Parses "**" pairs into bold runs. A lone "**" at the end leaves the rest bold: the sources are
// checked by eye in the rendered pages anyway.
std::vector<TextRun> ParseEmphasis(const std::string& text);

double RunsWidth(const std::vector<TextRun>& runs, double size, const Fonts& fonts);

// Breaks the runs into lines no wider than width (a single word wider than width gets a line of
// its own). Breaks only at ordinary spaces, so a no-break space keeps its words together.
std::vector<std::vector<TextRun>> WrapRuns(const std::vector<TextRun>& runs, double width, double size,
                                           const Fonts& fonts);

} // namespace docgen
