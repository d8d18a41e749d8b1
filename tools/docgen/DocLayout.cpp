#include "DocLayout.h"

#include "Utf.h"

#include <algorithm>
#include <cstdio>

namespace docgen
{

namespace
{

// Shift-state numbers of the layout format: bit 0 Shift, bit 1 Ctrl, bit 2 Alt.
constexpr int kShiftStateOf[kChartStates] = {0, 1, 6, 7};

// Enough of the case mapping for key caps: ASCII, Latin-1 and Latin Extended-A, where the
// Polish letters live.
char16_t UpperOf(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<char16_t>(c - 32);
    bool oddLower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool evenLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((oddLower && (c & 1)) || (evenLower && !(c & 1)))
        return static_cast<char16_t>(c - 1);
    return c;
}

} // namespace

KeyChars CharsOf(const klc::KlcLayout& layout, const klc::KlcKey& key)
{
    KeyChars out;
    for (int s = 0; s < kChartStates; ++s)
    {
        int column = layout.Column(kShiftStateOf[s]);
        if (column >= 0 && static_cast<size_t>(column) < key.chars.size())
            out.state[s] = key.chars[column];
    }
    return out;
}

int LoadLayouts(const std::vector<std::string>& specs, std::vector<DocLayout>& out, std::string& error)
{
    out.clear();
    if (specs.size() % 3 != 0 || specs.empty())
    {
        error = "expected --layout <set> <variant> <file>";
        return 0;
    }
    for (size_t i = 0; i < specs.size(); i += 3)
    {
        DocLayout layout;
        if (specs[i] != "0" && specs[i] != "1")
        {
            error = "build set must be 0 or 1, got " + specs[i];
            return 0;
        }
        if (specs[i + 1] != "0" && specs[i + 1] != "1" && specs[i + 1] != "2")
        {
            error = "layout variant must be 0, 1 or 2, got " + specs[i + 1];
            return 0;
        }
        layout.set = specs[i][0] - '0';
        layout.variant = specs[i + 1][0] - '0';
        const std::string& path = specs[i + 2];
        size_t slash = path.find_last_of("/\\");
        layout.sourceName = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!klc::ReadKlcFile(path, layout.klc, error))
            return 0;
        for (const DocLayout& other : out)
            if (other.set == layout.set && other.variant == layout.variant)
            {
                error = "two sources for set " + specs[i] + " variant " + specs[i + 1];
                return 0;
            }
        out.push_back(std::move(layout));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const DocLayout& a, const DocLayout& b)
                     { return a.variant != b.variant ? a.variant < b.variant : a.set < b.set; });
    return 1;
}

std::string InvisibleName(char16_t c)
{
    switch (c)
    {
        case 0x0020:
            return "SP";
        case 0x00A0:
            return "NBSP";
        case 0x00AD:
            return "SHY";
        case 0x2009:
            return "THSP";
        case 0x200B:
            return "ZWSP";
        case 0x200C:
            return "ZWNJ";
        case 0x200D:
            return "ZWJ";
        case 0x202F:
            return "NNBSP";
        default:
            break;
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E))
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
        return buf;
    }
    return "";
}

std::string Shown(char16_t c)
{
    std::string name = InvisibleName(c);
    return name.empty() ? EncodeUtf8(static_cast<char32_t>(c)) : name;
}

std::vector<char16_t> ChartCharacters(const klc::KlcLayout& layout)
{
    std::vector<char16_t> out;
    auto add = [&](char16_t c)
    {
        if (std::find(out.begin(), out.end(), c) == out.end())
            out.push_back(c);
    };
    for (const klc::KlcKey& key : layout.keys)
    {
        KeyChars chars = CharsOf(layout, key);
        for (const klc::KlcChar& ch : chars.state)
            if (ch.defined && ch.ch != u' ') // the space bar is drawn, not written
                add(ch.ch);
    }
    for (const klc::KlcDeadKey& dead : layout.deadKeys)
    {
        add(dead.accent);
        for (const auto& [base, composed] : dead.combinations)
            if (base != u' ') // said once for all: the dead key and a space give the accent
            {
                add(base);
                add(composed);
            }
    }
    return out;
}

std::string KeyCap(const klc::KlcLayout& layout, const klc::KlcKey& key, const std::string& spaceName)
{
    KeyChars chars = CharsOf(layout, key);
    if (!chars.state[kBase].defined)
        return "?";
    char16_t c = chars.state[kBase].ch;
    if (c == u' ')
        return spaceName;
    return Shown(UpperOf(c));
}

CharPlace FindChar(const klc::KlcLayout& layout, char16_t c, bool dead)
{
    for (int s = 0; s < kChartStates; ++s)
        for (const klc::KlcKey& key : layout.keys)
        {
            const klc::KlcChar& ch = CharsOf(layout, key).state[s];
            if (ch.defined && ch.ch == c && ch.dead == dead)
                return CharPlace{&key, s};
        }
    return CharPlace{};
}

} // namespace docgen
