// Advance widths of a TrueType font, read from its cmap and hmtx tables, so that docgen can wrap
// and fit text before the SVG renderer sees it. Kerning and ligatures are ignored: they only
// ever make the rendered text narrower than measured, which keeps the wrapping on the safe side.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace docgen
{

class FontMetrics
{
  public:
    int Load(const std::string& path, std::string& error);

    bool HasGlyph(char32_t c) const;
    // Width of the text in the units of size (the font size): millimetres in, millimetres out.
    double Width(std::u32string_view text, double size) const;
    double Width(std::string_view utf8, double size) const;

  private:
    double AdvanceEm(char32_t c) const;

    double unitsPerEm_ = 1000;
    std::vector<uint16_t> advances_; // by glyph index
    std::unordered_map<char32_t, uint16_t> glyphs_;
};

} // namespace docgen
