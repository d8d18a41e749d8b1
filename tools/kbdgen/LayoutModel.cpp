#include "LayoutModel.h"

#include <algorithm>

namespace kbd
{

namespace
{

constexpr uint16_t kNone = 0xFF;
constexpr uint16_t kPad = kNumpad | kSpecial;

} // namespace

const std::array<uint16_t, kScanCodeCount>& DefaultScanCodes()
{
    // clang-format off
  static const std::array<uint16_t, kScanCodeCount> table = {
      // 00
      kNone, 0x1B, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0xBD, 0xBB, 0x08, 0x09,
      // 10
      'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 0xDB, 0xDD, 0x0D, 0xA2, 'A', 'S',
      // 20
      'D', 'F', 'G', 'H', 'J', 'K', 'L', 0xBA, 0xDE, 0xC0, 0xA0, 0xDC, 'Z', 'X', 'C', 'V',
      // 30
      'B', 'N', 'M', 0xBC, 0xBE, 0xBF, 0xA1 | kExtended, 0x6A | kMultiVk,
      0xA4, 0x20, 0x14, 0x70, 0x71, 0x72, 0x73, 0x74,
      // 40
      0x75, 0x76, 0x77, 0x78, 0x79, 0x90 | kExtended | kMultiVk, 0x91 | kMultiVk, 0x24 | kPad,
      0x26 | kPad, 0x21 | kPad, 0x6D, 0x25 | kPad, 0x0C | kPad, 0x27 | kPad, 0x6B, 0x23 | kPad,
      // 50
      0x28 | kPad, 0x22 | kPad, 0x2D | kPad, 0x2E | kPad, 0x2C, kNone, 0xE2, 0x7A,
      0x7B, 0x0C, 0xEE, 0xF1, 0xEA, 0xF9, 0xF5, 0xF3,
      // 60
      kNone, kNone, 0xFB, 0x2F, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0xED,
      // 70
      kNone, 0xE9, kNone, 0xC1, kNone, kNone, 0x87, kNone, kNone, kNone, kNone, 0xEB, 0x09, kNone, 0xC2, 0xEC,
  };
    // clang-format on
    return table;
}

const std::vector<VscVk>& DefaultE0()
{
    static const std::vector<VscVk> table = {
        {0x10, 0x1B1}, {0x19, 0x1B0}, {0x1C, 0x10D}, {0x1D, 0x1A3}, {0x20, 0x1AD}, {0x21, 0x1B7},
        {0x22, 0x1B3}, {0x24, 0x1B2}, {0x2E, 0x1AE}, {0x30, 0x1AF}, {0x32, 0x1AC}, {0x35, 0x16F},
        {0x37, 0x02C}, {0x38, 0x1A5}, {0x46, 0x103}, {0x47, 0x124}, {0x48, 0x126}, {0x49, 0x121},
        {0x4B, 0x125}, {0x4D, 0x127}, {0x4F, 0x123}, {0x50, 0x128}, {0x51, 0x122}, {0x52, 0x12D},
        {0x53, 0x12E}, {0x5B, 0x15B}, {0x5C, 0x15C}, {0x5D, 0x15D}, {0x5E, 0x15E}, {0x5F, 0x15F},
        {0x65, 0x1AA}, {0x66, 0x1AB}, {0x67, 0x1A8}, {0x68, 0x1A9}, {0x69, 0x1A7}, {0x6A, 0x1A6},
        {0x6B, 0x1B6}, {0x6C, 0x1B4}, {0x6D, 0x1B5},
    };
    return table;
}

const std::vector<VscVk>& DefaultE1()
{
    static const std::vector<VscVk> table = {{0x1D, 0x13}};
    return table;
}

namespace
{

struct FixedRow
{
    uint8_t vk;
    char16_t plain, shift, ctrl; // 0 for none
};

// Keys every layout types the same, which the sources leave out.
constexpr FixedRow kFixedRows[] = {
    {0x09, u'\t', u'\t', 0},  {0x6B, u'+', u'+', 0},       {0x6D, u'-', u'-', 0},
    {0x6A, u'*', u'*', 0},    {0x6F, u'/', u'/', 0},       {0x08, u'\b', u'\b', 0x7F},
    {0x1B, 0x1B, 0x1B, 0x1B}, {0x0D, u'\r', u'\r', u'\n'}, {0x03, 0x03, 0x03, 0x03},
};

int Width(const std::vector<char16_t>& wch)
{
    int w = 0;
    for (size_t i = 0; i < wch.size(); ++i)
        if (wch[i] != kWchNone)
            w = static_cast<int>(i) + 1;
    return w;
}

} // namespace

int BuildLayoutModel(const klc::KlcLayout& layout, LayoutModel& out, std::string& error)
{
    out = LayoutModel{};
    const size_t columns = layout.shiftStates.size();
    if (layout.Column(0) != 0 || layout.Column(1) != 1)
    {
        error = "the first two shift states must be 0 and 1";
        return 0;
    }
    out.scanCodes = DefaultScanCodes();
    out.e0 = DefaultE0();
    out.e1 = DefaultE1();

    // Rows with their columns, before they are sorted into tables by width.
    std::vector<std::pair<CharEntry, std::vector<char16_t>>> rows; // entry, dead characters (0 = none)
    bool haveDecimal = false;
    for (const klc::KlcKey& k : layout.keys)
    {
        if (k.scanCode < kScanCodeCount)
        {
            uint16_t def = DefaultScanCodes()[k.scanCode];
            // On the numeric pad a source names the key that Num Lock gives; the table keeps the
            // cursor key, which the system turns into that key.
            if (!(def & kNumpad) && (def & 0xFF) != k.vk)
                out.scanCodes[k.scanCode] = k.vk;
        }
        else
        {
            auto it = std::find_if(out.e0.begin(), out.e0.end(),
                                   [&](const VscVk& e) { return e.scanCode == (k.scanCode & 0xFF); });
            if (it == out.e0.end())
                out.e0.push_back(
                    {static_cast<uint8_t>(k.scanCode & 0xFF), static_cast<uint16_t>(k.vk | kExtended)});
            else if ((it->vk & 0xFF) != k.vk)
                it->vk = static_cast<uint16_t>(k.vk | kExtended);
        }
        CharEntry e;
        e.vk = k.vk;
        e.attributes = k.capFlags;
        std::vector<char16_t> dead(columns, 0);
        bool anyDead = false;
        for (size_t c = 0; c < columns; ++c)
        {
            const klc::KlcChar& ch = k.chars[c];
            e.wch.push_back(!ch.defined ? kWchNone : ch.dead ? kWchDead : ch.ch);
            if (ch.defined && ch.dead)
            {
                dead[c] = ch.ch;
                anyDead = true;
                bool known = std::any_of(layout.deadKeys.begin(), layout.deadKeys.end(),
                                         [&](const klc::KlcDeadKey& d) { return d.accent == ch.ch; });
                if (!known)
                {
                    error = "line " + std::to_string(k.line) + ": dead key without a DEADKEY section";
                    return 0;
                }
            }
        }
        if (k.vk == kVkDecimal)
        {
            const klc::KlcChar& a = k.chars[0];
            const klc::KlcChar& b = k.chars[1];
            // The installer writes the comma over the low bytes of these two characters.
            if (!a.defined || !b.defined || a.dead || b.dead || (a.ch >> 8) || (b.ch >> 8))
            {
                error =
                    "line " + std::to_string(k.line) + ": the decimal key needs two single-byte characters";
                return 0;
            }
            haveDecimal = true;
        }
        if (Width(e.wch) == 0)
            continue;
        rows.emplace_back(std::move(e), anyDead ? dead : std::vector<char16_t>{});
    }
    if (!haveDecimal)
    {
        error = "no DECIMAL key in the layout";
        return 0;
    }
    for (const FixedRow& f : kFixedRows)
    {
        if (std::any_of(rows.begin(), rows.end(), [&](const auto& r) { return r.first.vk == f.vk; }))
            continue;
        CharEntry e;
        e.vk = f.vk;
        e.wch.assign(columns, kWchNone);
        e.wch[0] = f.plain;
        e.wch[1] = f.shift;
        if (f.ctrl && layout.Column(2) >= 0)
            e.wch[static_cast<size_t>(layout.Column(2))] = f.ctrl;
        rows.emplace_back(std::move(e), std::vector<char16_t>{});
    }

    // One table per width, narrowest first; the decimal key goes last in its table so that the
    // numeric-pad table, the same in every build, follows it in memory.
    int maxWidth = 2;
    for (auto& r : rows)
        maxWidth = std::max(maxWidth, Width(r.first.wch));
    for (int w = 2; w <= maxWidth; ++w)
    {
        CharTable t;
        t.width = w;
        CharEntry decimal;
        bool hasDecimal = false;
        for (auto& [entry, dead] : rows)
        {
            if (std::max(2, Width(entry.wch)) != w)
                continue;
            CharEntry e = entry;
            e.wch.resize(static_cast<size_t>(w));
            if (e.vk == kVkDecimal)
            {
                decimal = e;
                hasDecimal = true;
                continue;
            }
            t.entries.push_back(e);
            if (!dead.empty())
            {
                CharEntry d;
                d.vk = 0xFF;
                for (int c = 0; c < w; ++c)
                    d.wch.push_back(dead[static_cast<size_t>(c)] ? dead[static_cast<size_t>(c)] : kWchNone);
                t.entries.push_back(d);
            }
        }
        if (hasDecimal)
        {
            t.entries.push_back(decimal);
            out.decimalTable = static_cast<int>(out.charTables.size());
        }
        if (!t.entries.empty())
            out.charTables.push_back(std::move(t));
    }
    CharTable pad;
    pad.width = 1;
    for (uint8_t d = 0; d < 10; ++d)
        pad.entries.push_back(
            CharEntry{static_cast<uint8_t>(0x60 + d), 0, {static_cast<char16_t>(u'0' + d)}});
    out.numpadTable = static_cast<int>(out.charTables.size());
    out.charTables.push_back(std::move(pad));

    for (const klc::KlcDeadKey& d : layout.deadKeys)
        for (auto [base, composed] : d.combinations)
            out.deadKeys.push_back(
                {static_cast<uint32_t>(base) | (static_cast<uint32_t>(d.accent) << 16), composed, 0});

    for (const klc::KlcKeyName& n : layout.keyNames)
        out.keyNames.emplace_back(static_cast<uint8_t>(n.code), n.name);
    for (const klc::KlcKeyName& n : layout.keyNamesExt)
        out.keyNamesExt.emplace_back(static_cast<uint8_t>(n.code), n.name);
    for (const klc::KlcKeyName& n : layout.keyNamesDead)
        out.deadKeyNames.push_back(std::u16string(1, static_cast<char16_t>(n.code)) + n.name);

    for (int m = 0; m < 8; ++m)
    {
        int c = layout.Column(m);
        out.modNumbers[static_cast<size_t>(m)] = c < 0 ? 0x0F : static_cast<uint8_t>(c);
    }
    constexpr uint32_t kAltGr = 0x0001, kVersion = 1;
    out.localeFlags = (kVersion << 16) | (layout.Column(6) >= 0 ? kAltGr : 0);
    return 1;
}

} // namespace kbd
