#include "FontMetrics.h"

#include "DocText.h"
#include "Utf.h"

namespace docgen
{

namespace
{

struct Reader
{
    const std::string& data;
    bool ok = true;

    uint32_t U(size_t at, int bytes)
    {
        if (at + bytes > data.size())
        {
            ok = false;
            return 0;
        }
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | static_cast<unsigned char>(data[at + i]);
        return v;
    }
    uint16_t U16(size_t at) { return static_cast<uint16_t>(U(at, 2)); }
    uint32_t U32(size_t at) { return U(at, 4); }
};

} // namespace

int FontMetrics::Load(const std::string& path, std::string& error)
{
    std::string data;
    if (!ReadTextFile(path, data))
    {
        error = path + ": cannot read the font";
        return 0;
    }
    Reader r{data};
    uint16_t tableCount = r.U16(4);
    size_t head = 0, hhea = 0, hmtx = 0, cmap = 0;
    for (uint16_t i = 0; i < tableCount && r.ok; ++i)
    {
        size_t rec = 12 + 16 * static_cast<size_t>(i);
        uint32_t tag = r.U32(rec);
        size_t offset = r.U32(rec + 8);
        if (tag == 0x68656164) // head
            head = offset;
        else if (tag == 0x68686561) // hhea
            hhea = offset;
        else if (tag == 0x686D7478) // hmtx
            hmtx = offset;
        else if (tag == 0x636D6170) // cmap
            cmap = offset;
    }
    if (!r.ok || !head || !hhea || !hmtx || !cmap)
    {
        error = path + ": not a TrueType font with head, hhea, hmtx and cmap tables";
        return 0;
    }
    unitsPerEm_ = r.U16(head + 18);
    uint16_t metrics = r.U16(hhea + 34);
    advances_.clear();
    for (uint16_t g = 0; g < metrics && r.ok; ++g)
        advances_.push_back(r.U16(hmtx + 4 * static_cast<size_t>(g)));

    // The Windows Unicode BMP subtable (format 4) covers every character the layouts use.
    size_t sub = 0;
    uint16_t subCount = r.U16(cmap + 2);
    for (uint16_t i = 0; i < subCount && r.ok; ++i)
    {
        size_t rec = cmap + 4 + 8 * static_cast<size_t>(i);
        if (r.U16(rec) == 3 && r.U16(rec + 2) == 1)
            sub = cmap + r.U32(rec + 4);
    }
    if (!sub || r.U16(sub) != 4)
    {
        error = path + ": no Unicode character map of format 4";
        return 0;
    }
    size_t segments = r.U16(sub + 6) / 2;
    size_t ends = sub + 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
           ranges = deltas + 2 * segments;
    glyphs_.clear();
    for (size_t s = 0; s < segments && r.ok; ++s)
    {
        uint32_t end = r.U16(ends + 2 * s), start = r.U16(starts + 2 * s);
        uint16_t delta = r.U16(deltas + 2 * s), range = r.U16(ranges + 2 * s);
        for (uint32_t c = start; c <= end && c != 0xFFFF && r.ok; ++c)
        {
            uint16_t g;
            if (range == 0)
            {
                g = static_cast<uint16_t>(c + delta);
            }
            else
            {
                g = r.U16(ranges + 2 * s + range + 2 * (c - start));
                if (g)
                    g = static_cast<uint16_t>(g + delta);
            }
            if (g)
                glyphs_[c] = g;
        }
    }
    if (!r.ok || advances_.empty() || unitsPerEm_ <= 0)
    {
        error = path + ": truncated font tables";
        return 0;
    }
    return 1;
}

bool FontMetrics::HasGlyph(char32_t c) const
{
    return glyphs_.count(c) != 0;
}

double FontMetrics::AdvanceEm(char32_t c) const
{
    uint16_t g = 0;
    auto it = glyphs_.find(c);
    if (it != glyphs_.end())
        g = it->second;
    // Glyphs past the metrics count share the last advance, as the hmtx format says.
    uint16_t advance = g < advances_.size() ? advances_[g] : advances_.back();
    return advance / unitsPerEm_;
}

double FontMetrics::Width(std::u32string_view text, double size) const
{
    double em = 0;
    for (char32_t c : text)
        em += AdvanceEm(c);
    return em * size;
}

double FontMetrics::Width(std::string_view utf8, double size) const
{
    return Width(DecodeUtf8(utf8), size);
}

} // namespace docgen
