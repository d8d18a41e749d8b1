// The formatter's character, text, GString and hex dump conversions.
#include "text/FormatInternal.h"

namespace TextFormat
{
namespace
{
constexpr int64_t kNoLimit = int64_t(1) << 40;

bool Escaped(unsigned c, unsigned flags)
{
    if (flags & kEscape)
        return c < 0x20 || c > 0x7E;
    if (flags & kAlt)
        return c < 0x20;
    return false;
}

// UTF-8 to UTF-16 by the string's own rules (one to three bytes a unit); the number of units, or -1
// when the bytes are not valid.  With out null it only counts.
int64_t DecodeUtf8(const unsigned char* p, int64_t n, char16_t* out)
{
    int64_t units = 0;
    for (int64_t i = 0; i < n;)
    {
        const unsigned b0 = p[i];
        unsigned u;
        if (b0 < 0x80)
        {
            u = b0;
            i += 1;
        }
        else if ((b0 & 0xE0) == 0xC0)
        {
            if (i + 1 >= n || (p[i + 1] & 0xC0) != 0x80)
                return -1;
            u = ((b0 & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu);
            i += 2;
        }
        else if ((b0 & 0xF0) == 0xE0)
        {
            if (i + 2 >= n || (p[i + 1] & 0xC0) != 0x80 || (p[i + 2] & 0xC0) != 0x80)
                return -1;
            u = ((b0 & 0x0Fu) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            i += 3;
        }
        else
            return -1;
        if (out)
            out[units] = static_cast<char16_t>(u);
        ++units;
    }
    return units;
}

// Units of a UTF-16 text that the precision takes: 0 up to the terminator, a positive precision at
// most that many (stopping at the terminator), a negative one exactly that many.
int64_t SelectWide(const void* text, int precision, int64_t limit)
{
    if (precision < 0)
    {
        const int64_t n = -static_cast<int64_t>(precision);
        return n < limit ? n : limit;
    }
    if (precision > 0 && precision < limit)
        limit = precision;
    int64_t n = 0;
    while (n < limit && LoadUnit(text, n) != 0)
        ++n;
    return n;
}

int Utf8Trailing(unsigned lead)
{
    if ((lead & 0xE0) == 0xC0)
        return 1;
    if ((lead & 0xF0) == 0xE0)
        return 2;
    if ((lead & 0xF8) == 0xF0)
        return 3;
    return 0;
}

// Bytes of a UTF-8 text that the precision takes, counting characters: every byte that is not a
// continuation byte starts one, and a character is never cut.
int64_t SelectNarrow(const unsigned char* text, int precision, int64_t limit)
{
    int64_t i = 0;
    if (precision == 0)
    {
        while (i < limit && text[i])
            ++i;
        return i;
    }
    if (precision > 0)
    {
        for (int64_t chars = 0; i < limit; ++i)
        {
            const unsigned b = text[i];
            if ((b & 0xC0) != 0x80)
            {
                if (chars == precision || b == 0)
                    break;
                ++chars;
            }
        }
        return i;
    }
    // An exact count may end at the end of the caller's memory: take the last character's
    // continuation bytes as its lead byte announces them, without looking past them.
    const int64_t want = -static_cast<int64_t>(precision);
    for (int64_t chars = 0; chars < want && i < limit; ++chars)
    {
        const int trailing = Utf8Trailing(text[i++]);
        for (int k = 0; k < trailing && i < limit && (text[i] & 0xC0) == 0x80; ++k)
            ++i;
    }
    return i;
}

// Formats n characters (units or bytes) of a text in either width.
int FormatTextBody(GString& s, const Directive& d, const void* data, bool wide, int64_t limit)
{
    if (InBlock(s, data))
    {
        const int64_t left =
            (s.Block + s.BlockSize - static_cast<const unsigned char*>(data)) / (wide ? 2 : 1);
        if (left < limit)
            limit = left;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    const int64_t n = wide ? SelectWide(data, d.Precision, limit) : SelectNarrow(bytes, d.Precision, limit);
    if (n > 0x7FFFFFFF)
        return 0;
    StableSource source(s, data, wide ? 2 * n : n);
    if (!source.Get())
        return 0;
    data = source.Get();
    bytes = static_cast<const unsigned char*>(data);
    const unsigned flags = d.Flags;
    const bool escapes = (flags & (kEscape | kAlt)) != 0;
    const char* hex = HexDigits(d);

    int64_t produced = 0;
    if (wide)
    {
        produced = n;
        if (escapes)
            for (int64_t i = 0; i < n; ++i)
                produced += Escaped(LoadUnit(data, i), flags) ? 3 : 0;
    }
    else if (flags & kEscape)
    {
        // Byte by byte: each byte of a multi-byte character gets its own escape.
        for (int64_t i = 0; i < n; ++i)
            produced += Escaped(bytes[i], flags) ? 4 : 1;
    }
    else if (flags & kAlt)
    {
        for (int64_t i = 0; i < n;)
        {
            if (bytes[i] < 0x20)
            {
                produced += 4;
                ++i;
                continue;
            }
            int64_t j = i;
            while (j < n && bytes[j] >= 0x20)
                ++j;
            const int64_t units = DecodeUtf8(bytes + i, j - i, nullptr);
            if (units < 0)
                return 0;
            produced += units;
            i = j;
        }
    }
    else
    {
        produced = DecodeUtf8(bytes, n, nullptr);
        if (produced < 0)
            return 0;
    }
    if (produced > 0x7FFFFFFF)
        return 0;

    const Fill f = LayOut(d, produced, true);
    const int64_t total = static_cast<int64_t>(f.Lead) + f.Zeros + produced + f.Trail;
    char16_t* out = OpenOutput(s, total);
    if (!out)
        return 0;
    out = Repeat(out, u' ', f.Lead);
    out = Repeat(out, u'0', f.Zeros);
    if (wide && !escapes)
    {
        memcpy(out, data, static_cast<size_t>(n) * 2);
        out += n;
    }
    else if (wide)
    {
        for (int64_t i = 0; i < n; ++i)
        {
            const char16_t u = LoadUnit(data, i);
            if (Escaped(u, flags))
                out = WriteEscape(out, u, hex);
            else
                *out++ = u;
        }
    }
    else if (flags & kEscape)
    {
        for (int64_t i = 0; i < n; ++i)
        {
            if (Escaped(bytes[i], flags))
                out = WriteEscape(out, bytes[i], hex);
            else
                *out++ = bytes[i];
        }
    }
    else if (flags & kAlt)
    {
        for (int64_t i = 0; i < n;)
        {
            if (bytes[i] < 0x20)
            {
                out = WriteEscape(out, bytes[i++], hex);
                continue;
            }
            int64_t j = i;
            while (j < n && bytes[j] >= 0x20)
                ++j;
            out += DecodeUtf8(bytes + i, j - i, out);
            i = j;
        }
    }
    else
        out += DecodeUtf8(bytes, n, out);
    Repeat(out, u' ', f.Trail);
    CloseOutput(s, total);
    return 1;
}

int NullField(GString& s, const Directive& d)
{
    return WriteField(s, d, nullptr, 0, kNullText, kNullLength, true);
}
} // namespace

int FormatChar(GString& s, const Directive& d, Args& a)
{
    const uint32_t v = static_cast<uint32_t>(TakeInt32(a));
    char16_t body[4];
    int len = 1;
    if (d.Flags & (kEscape | kAlt))
    {
        const unsigned c = v & 0xFFFF;
        if (Escaped(c, d.Flags))
            len = static_cast<int>(WriteEscape(body, c, HexDigits(d)) - body);
        else
            body[0] = static_cast<char16_t>(c);
    }
    else if (d.Size == kSizeH)
    {
        // One byte of UTF-8: only ASCII is a whole character.
        const unsigned b = v & 0xFF;
        if (b >= 0x80)
            return 0;
        body[0] = static_cast<char16_t>(b);
    }
    else
        body[0] = static_cast<char16_t>(v & 0xFFFF);
    return WriteField(s, d, nullptr, 0, body, len, true);
}

int FormatString(GString& s, const Directive& d, Args& a)
{
    const void* text = TakePointer(a);
    if (!text)
        return NullField(s, d);
    if (d.Size == kSize64)
        return 1;
    const bool wide = d.Size != kSizeH;
    int64_t limit = kNoLimit;
    text = Relocate(s, a, text, &limit);
    return FormatTextBody(s, d, text, wide, wide ? limit / 2 : limit);
}

int FormatGString(GString& s, const Directive& d, Args& a)
{
    const void* arg = TakePointer(a);
    if (!arg)
        return NullField(s, d);
    if (d.Size == kSizeH)
    {
        // A counted text block; its length keeps even an exact precision inside the block.
        int64_t limit = kNoLimit;
        const unsigned char* p = static_cast<const unsigned char*>(Relocate(s, a, arg, &limit));
        const uint32_t header = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return FormatTextBody(s, d, p + 4, (header & 0x80000000u) == 0, header & 0x1FFFFFFFu);
    }
    // The string's length keeps even an exact precision inside its text.
    const GString* g = static_cast<const GString*>(arg);
    if (g->IsWide())
        return FormatTextBody(s, d, g->GetW(0), true, g->GetLength());
    return FormatTextBody(s, d, g->GetA(0), false, g->GetLength());
}

int FormatHexDump(GString& s, const Directive& d, Args& a)
{
    const void* arg = TakePointer(a);
    if (d.Precision <= 0)
        return 1;
    if (!arg)
        return NullField(s, d);
    const int64_t n = d.Precision;
    const bool alt = (d.Flags & kAlt) != 0;
    const bool space = (d.Flags & kSpace) != 0;
    const bool group = (d.Flags & kGroup) != 0;
    const int64_t groups = group ? (n + 3) / 4 : 0;
    int64_t produced = 2 * n + (space ? n - 1 : 0);
    if (alt)
        produced += group ? 2 * groups : 2 * n;
    else if (group)
        produced += groups - 1;
    if (produced > 0x7FFFFFFF)
        return 0;
    int64_t limit = kNoLimit;
    StableSource source(s, Relocate(s, a, arg, &limit), n);
    const unsigned char* bytes = static_cast<const unsigned char*>(source.Get());
    if (!bytes)
        return 0;
    const char* hex = HexDigits(d);
    const Fill f = LayOut(d, produced, true);
    const int64_t total = static_cast<int64_t>(f.Lead) + f.Zeros + produced + f.Trail;
    char16_t* out = OpenOutput(s, total);
    if (!out)
        return 0;
    out = Repeat(out, u' ', f.Lead);
    out = Repeat(out, u'0', f.Zeros);
    for (int64_t i = 0; i < n; ++i)
    {
        const bool groupStart = group && i % 4 == 0;
        if (i > 0)
        {
            if (groupStart && alt)
                *out++ = u'}';
            if (space)
                *out++ = u' ';
            if (groupStart && !alt)
                *out++ = u' ';
        }
        if (alt && (!group || groupStart))
            *out++ = u'{';
        *out++ = static_cast<char16_t>(hex[bytes[i] >> 4]);
        *out++ = static_cast<char16_t>(hex[bytes[i] & 15]);
        if (alt && !group)
            *out++ = u'}';
    }
    if (alt && group)
        *out++ = u'}';
    Repeat(out, u' ', f.Trail);
    CloseOutput(s, total);
    return 1;
}
} // namespace TextFormat
