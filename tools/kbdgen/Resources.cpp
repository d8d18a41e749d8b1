// Resource tree, string table block and version resource of a layout library.
#include "KbdImage.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace kbd
{

size_t EmitResources(Section& s, std::vector<ResourceItem> items)
{
    std::sort(items.begin(), items.end(),
              [](const ResourceItem& a, const ResourceItem& b)
              { return std::tie(a.type, a.id, a.lang) < std::tie(b.type, b.id, b.lang); });
    std::vector<std::pair<uint16_t, std::vector<std::pair<uint16_t, std::vector<size_t>>>>> tree;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (tree.empty() || tree.back().first != items[i].type)
            tree.push_back({items[i].type, {}});
        auto& names = tree.back().second;
        if (names.empty() || names.back().first != items[i].id)
            names.push_back({items[i].id, {}});
        names.back().second.push_back(i);
    }
    // Offsets from the tree's start: root, type directories, name directories, data entries, data.
    auto dirSize = [](size_t n) { return 16 + 8 * n; };
    size_t off = dirSize(tree.size());
    std::vector<size_t> typeDir, nameDir;
    for (auto& t : tree)
    {
        typeDir.push_back(off);
        off += dirSize(t.second.size());
    }
    for (auto& t : tree)
        for (auto& n : t.second)
        {
            nameDir.push_back(off);
            off += dirSize(n.second.size());
        }
    const size_t entries = off;
    off += 16 * items.size();
    std::vector<size_t> dataAt;
    for (const ResourceItem& it : items)
    {
        off = (off + 7) / 8 * 8;
        dataAt.push_back(off);
        off += it.data.size();
    }

    const size_t base = s.Here();
    auto dir = [&](size_t count)
    {
        s.U32(0); // characteristics
        s.U32(0); // time stamp
        s.U32(0); // version
        s.U16(0); // named entries
        s.U16(static_cast<uint16_t>(count));
    };
    dir(tree.size());
    for (size_t t = 0; t < tree.size(); ++t)
    {
        s.U32(tree[t].first);
        s.U32(0x80000000u | static_cast<uint32_t>(typeDir[t]));
    }
    size_t nameIndex = 0;
    for (auto& t : tree)
    {
        dir(t.second.size());
        for (size_t n = 0; n < t.second.size(); ++n)
        {
            s.U32(t.second[n].first);
            s.U32(0x80000000u | static_cast<uint32_t>(nameDir[nameIndex + n]));
        }
        nameIndex += t.second.size();
    }
    for (auto& t : tree)
        for (auto& n : t.second)
        {
            dir(n.second.size());
            for (size_t i : n.second)
            {
                s.U32(items[i].lang);
                s.U32(static_cast<uint32_t>(entries + 16 * i));
            }
        }
    for (size_t i = 0; i < items.size(); ++i)
    {
        s.U32(s.Rva(base + dataAt[i]));
        s.U32(static_cast<uint32_t>(items[i].data.size()));
        s.U32(0);
        s.U32(0);
    }
    for (size_t i = 0; i < items.size(); ++i)
    {
        while (s.Here() < base + dataAt[i])
            s.U8(0);
        s.Bytes(items[i].data);
    }
    return base;
}

std::vector<uint8_t> StringBlock(int indexInBlock, const std::u16string& text)
{
    std::vector<uint8_t> out;
    auto u16 = [&](uint16_t v)
    {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    for (int i = 0; i < 16; ++i)
    {
        if (i != indexInBlock)
        {
            u16(0);
            continue;
        }
        u16(static_cast<uint16_t>(text.size()));
        for (char16_t c : text)
            u16(c);
    }
    return out;
}

namespace
{

// Nodes of the version resource: length, value length, type, key, then value and children, each
// starting on a 32-bit boundary.
class VersionWriter
{
  public:
    size_t Begin(const std::u16string& key, uint16_t valueLength, uint16_t type)
    {
        Align();
        size_t at = b_.size();
        U16(0);
        U16(valueLength);
        U16(type);
        for (char16_t c : key)
            U16(c);
        U16(0);
        Align();
        return at;
    }
    void End(size_t at)
    {
        size_t len = b_.size() - at;
        b_[at] = static_cast<uint8_t>(len);
        b_[at + 1] = static_cast<uint8_t>(len >> 8);
    }
    void U16(uint16_t v)
    {
        b_.push_back(static_cast<uint8_t>(v));
        b_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Align()
    {
        while (b_.size() % 4)
            b_.push_back(0);
    }
    void String(const std::u16string& key, const std::u16string& value)
    {
        size_t at = Begin(key, static_cast<uint16_t>(value.size() + 1), 1);
        for (char16_t c : value)
            U16(c);
        U16(0);
        End(at);
    }
    std::vector<uint8_t>& Bytes() { return b_; }

  private:
    std::vector<uint8_t> b_;
};

std::u16string Widen(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

} // namespace

std::vector<uint8_t> VersionResource(const klc::KlcLayout& layout, const ImageOptions& options)
{
    uint16_t part[4] = {0, 0, 0, 0};
    {
        int i = 0;
        for (char16_t c : layout.version)
        {
            if (c == u'.')
            {
                if (++i == 4)
                    break;
            }
            else if (c >= u'0' && c <= u'9')
            {
                part[i] = static_cast<uint16_t>(part[i] * 10 + (c - u'0'));
            }
        }
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", part[0], part[1], part[2], part[3]);
    const std::u16string version = Widen(buf);
    std::vector<klc::KlcLocalised> langs = layout.descriptions;
    if (langs.empty())
        langs.push_back({0x0409, layout.description});

    VersionWriter v;
    size_t root = v.Begin(u"VS_VERSION_INFO", 52, 0);
    v.U32(0xFEEF04BD);
    v.U32(0x00010000);
    v.U32((static_cast<uint32_t>(part[0]) << 16) | part[1]);
    v.U32((static_cast<uint32_t>(part[2]) << 16) | part[3]);
    v.U32((static_cast<uint32_t>(part[0]) << 16) | part[1]);
    v.U32((static_cast<uint32_t>(part[2]) << 16) | part[3]);
    v.U32(0x3F);       // flags mask
    v.U32(0);          // flags
    v.U32(0x00040004); // Windows NT, 32-bit Windows interfaces
    v.U32(2);          // a DLL
    v.U32(0);
    v.U32(0);
    v.U32(0);
    size_t sfi = v.Begin(u"StringFileInfo", 0, 1);
    for (const klc::KlcLocalised& l : langs)
    {
        std::snprintf(buf, sizeof buf, "%04X04B0", l.langId);
        size_t table = v.Begin(Widen(buf), 0, 1);
        v.String(u"CompanyName", layout.company);
        v.String(u"FileDescription", l.text);
        v.String(u"FileVersion", version);
        v.String(u"InternalName", Widen(layout.name));
        v.String(u"LegalCopyright", layout.copyright);
        v.String(u"OriginalFilename", Widen(options.libraryName));
        v.String(u"ProductName", options.productName);
        v.String(u"ProductVersion", version);
        v.End(table);
    }
    v.End(sfi);
    size_t vfi = v.Begin(u"VarFileInfo", 0, 1);
    size_t var = v.Begin(u"Translation", static_cast<uint16_t>(4 * langs.size()), 0);
    for (const klc::KlcLocalised& l : langs)
    {
        v.U16(l.langId);
        v.U16(1200); // UTF-16
    }
    v.End(var);
    v.End(vfi);
    v.End(root);
    return v.Bytes();
}

} // namespace kbd
