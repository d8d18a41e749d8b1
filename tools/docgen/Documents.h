// The three companion documents docgen makes: the keyboard chart (SVG pages for a PDF), the
// user guide (SVG pages for a PDF) and the quick reference (one HTML file).
#pragma once

#include "DocLayout.h"
#include "DocText.h"
#include "FontMetrics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace docgen
{

// Everything in both languages: index 0 English, 1 Polish, as the program's interface languages.
struct DocContext
{
    StringSource strings[2];
    Labels labels[2];
    FontMetrics regular, bold;
};

struct SvgDocument
{
    std::vector<std::string> pages; // complete SVG texts, in order
};

int MakeChart(const DocContext& context, const std::vector<DocLayout>& layouts, SvgDocument& out,
              std::string& error);

// Where the chart draws a key that types characters, in millimetres from the page's top left
// corner; 0 for a key the chart has no place for. The four states fill the key's quadrants:
// Shift top left, AltGr+Shift top right, alone bottom left, AltGr bottom right.
int ChartKeyBox(uint16_t scanCode, double& x, double& y, double& w, double& h);

// sources: the guide's text, [0] English and [1] Polish (content/docs/guide-en.txt, guide-pl.txt).
int MakeGuide(const DocContext& context, const std::string sources[2], SvgDocument& out, std::string& error);

int MakeQuickReference(const DocContext& context, const std::vector<DocLayout>& layouts, std::string& html,
                       std::string& error);

// "AltGr+Shift+" and the like: how the state is reached, ready to be followed by a key cap.
std::string StatePrefix(int chartState);

} // namespace docgen
