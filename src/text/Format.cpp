// The formatter's main loop, the directive syntax and the integer conversions.
#include "text/FormatInternal.h"

#include <new>

namespace TextFormat
{
const char kLowerHex[17] = "0123456789abcdef";
const char kUpperHex[17] = "0123456789ABCDEF";
const char16_t kNullText[7] = u"{null}";

bool InBlock(const GString& s, const void* p)
{
    const unsigned char* q = static_cast<const unsigned char*>(p);
    return s.Block && q >= s.Block && q < s.Block + s.BlockSize;
}

StableSource::StableSource(const GString& s, const void* p, int64_t bytes) : Source(p)
{
    if (!p || !InBlock(s, p))
        return;
    Copy = bytes > 0 ? malloc(static_cast<size_t>(bytes)) : nullptr;
    if (Copy)
        memcpy(Copy, p, static_cast<size_t>(bytes));
    Source = bytes > 0 ? Copy : p;
}

int WriteField(GString& s, const Directive& d, const char16_t* head, int headLen, const char16_t* body,
               int bodyLen, bool zeroFill)
{
    const int produced = headLen + bodyLen;
    const Fill f = LayOut(d, produced, zeroFill);
    const int64_t total = static_cast<int64_t>(f.Lead) + f.Zeros + produced + f.Trail;
    char16_t* out = OpenOutput(s, total);
    if (!out)
        return 0;
    out = Repeat(out, u' ', f.Lead);
    out = Copy(out, head, headLen);
    out = Repeat(out, u'0', f.Zeros);
    out = Copy(out, body, bodyLen);
    Repeat(out, u' ', f.Trail);
    CloseOutput(s, total);
    return 1;
}

namespace
{
// Up to ten decimal digits; a value beyond what an int holds is taken as the largest int.
const char16_t* ReadNumber(const char16_t* p, int* value)
{
    int64_t v = 0;
    for (int i = 0; i < 10; ++i, ++p)
    {
        const char16_t c = LoadUnit(p, 0);
        if (c < u'0' || c > u'9')
            break;
        v = v * 10 + (c - u'0');
    }
    *value = v > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(v);
    return p;
}

const char16_t* ParseDirective(const char16_t* p, Directive& d, Args& a)
{
    d.Flags = 0;
    d.Width = -1;
    d.Precision = 0;
    d.Size = kNoSize;
    for (;; ++p)
    {
        const char16_t c = LoadUnit(p, 0);
        unsigned flag = c == u'-'   ? kLeft
                        : c == u'+' ? kPlus
                        : c == u' ' ? kSpace
                        : c == u'0' ? kZero
                        : c == u'#' ? kAlt
                        : c == u'$' ? kEscape
                        : c == u'`' ? kGroup
                                    : 0u;
        if (!flag)
            break;
        d.Flags |= flag;
    }
    char16_t c = LoadUnit(p, 0);
    if (c == u'*')
    {
        ++p;
        const int32_t w = TakeInt32(a);
        if (w < 0)
        {
            d.Flags |= kLeft;
            d.Width = w == INT32_MIN ? INT32_MAX : -w;
        }
        else
            d.Width = w;
    }
    else if (c >= u'0' && c <= u'9')
        p = ReadNumber(p, &d.Width);
    if (LoadUnit(p, 0) == u'.')
    {
        ++p;
        c = LoadUnit(p, 0);
        if (c == u'*')
        {
            ++p;
            d.Precision = TakeInt32(a);
        }
        else if (c >= u'0' && c <= u'9')
            p = ReadNumber(p, &d.Precision);
    }
    c = LoadUnit(p, 0);
    if (c == u'L')
    {
        d.Size = kSize64;
        ++p;
    }
    else if (c == u'l')
    {
        ++p;
        d.Size = kSizeL;
        if (LoadUnit(p, 0) == u'l')
        {
            d.Size = kSize64;
            ++p;
        }
    }
    else if (c == u'h')
    {
        d.Size = kSizeH;
        ++p;
    }
    d.Letter = LoadUnit(p, 0);
    switch (d.Letter)
    {
        case u'A':
        case u'B':
        case u'C':
        case u'E':
        case u'G':
        case u'P':
        case u'S':
        case u'W':
        case u'X':
        case u'Z':
            d.Upper = 1;
            break;
        default:
            d.Upper = 0;
    }
    return p;
}

// -1: not a conversion letter; otherwise the conversion's result.
int Convert(GString& s, const Directive& d, Args& a, int entryLength)
{
    switch (d.Letter)
    {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
        case u'y':
        case u'p':
        case u'P':
            return FormatInteger(s, d, a);
        case u'c':
        case u'C':
            return FormatChar(s, d, a);
        case u's':
        case u'S':
            return FormatString(s, d, a);
        case u'z':
        case u'Z':
            return FormatGString(s, d, a);
        case u'b':
        case u'B':
            return FormatHexDump(s, d, a);
        case u'f':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
        case u'F':
            return FormatReal(s, d, a);
        case u'I':
        case u'U':
            return FormatSize(s, d, a);
        case u'w':
        case u'W':
            return FormatAddress(s, d, a);
        case u'n':
        {
            int32_t* count = static_cast<int32_t*>(const_cast<void*>(TakePointer(a)));
            if (count)
                *count = s.GetLength() - entryLength;
            return 1;
        }
        case u'N':
            return s.AppendNewLine();
        case u'T':
        case u't':
        case u'Y':
            TakeInt32(a);
            return 0;
        default:
            return -1;
    }
}

int Run(GString& s, const char16_t* pattern, Args& a)
{
    const int entryLength = s.GetLength();
    a.OriginalText = entryLength ? reinterpret_cast<uintptr_t>(s.GetW(0)) : 0;
    a.OriginalBytes = 2 * static_cast<int64_t>(entryLength);
    const char16_t* p = pattern;
    for (;;)
    {
        const char16_t* run = p;
        char16_t c;
        while ((c = LoadUnit(p, 0)) != 0 && c != u'%')
            ++p;
        if (p > run && !s.AppendW(run, static_cast<int>(p - run)))
            break;
        if (c == 0)
        {
            s.Terminate();
            return 1;
        }
        ++p;
        if (LoadUnit(p, 0) == u'%')
        {
            ++p;
            if (!s.AppendCharW(u'%'))
                break;
            continue;
        }
        Directive d;
        p = ParseDirective(p, d, a);
        const int result = Convert(s, d, a, entryLength);
        if (result < 0)
            continue; // not a conversion: its letter starts the next run of text
        ++p;
        if (!result)
            break;
    }
    s.Terminate();
    return 0;
}

// Digits of v in base, least significant first, 64-bit values included.
int DigitsOf(uint64_t v, int base, const char* hex, char* out)
{
    int n = 0;
    do
    {
        out[n++] = hex[v % base];
        v /= base;
    } while (v);
    return n;
}
} // namespace

int FormatInteger(GString& s, const Directive& d, Args& a)
{
    const bool pointer = d.Letter == u'p' || d.Letter == u'P';
    const bool isSigned = d.Letter == u'd' || d.Letter == u'i';
    uint64_t value;
    bool negative = false;
    int base = 10;
    if (pointer)
    {
        // The whole pointer: 32 bits on the 32-bit program, 64 on 64-bit test builds.
        value = reinterpret_cast<uintptr_t>(TakePointer(a));
        base = 16;
    }
    else
    {
        value = TakeMagnitude(a, d.Size == kSize64, isSigned, &negative);
        if (d.Letter == u'x' || d.Letter == u'X')
            base = 16;
        else if (d.Letter == u'o')
            base = 8;
        else if (d.Letter == u'y')
            base = 2;
    }
    const int group = base == 10 || base == 8 ? 3 : 4;
    const bool grouping = (d.Flags & kGroup) != 0;

    char16_t head[3];
    int headLen = 0;
    if (negative)
        head[headLen++] = u'-';
    else if (isSigned && (d.Flags & kPlus))
        head[headLen++] = u'+';
    else if (isSigned && (d.Flags & kSpace))
        head[headLen++] = u' ';
    const int signLen = headLen;
    if (d.Flags & kAlt)
    {
        head[headLen++] = u'0';
        if (base == 16)
            head[headLen++] = u'x';
        else if (base == 2)
            head[headLen++] = u'y';
    }

    if (pointer && value == 0)
    {
        // "{null}" right-aligned where the prefix and eight digits would have stood.
        const int numberLen = headLen + 8 + (grouping ? 7 / group : 0);
        char16_t body[16];
        char16_t* out = Repeat(body, u' ', numberLen - kNullLength);
        Copy(out, kNullText, kNullLength);
        return WriteField(s, d, nullptr, 0, body, numberLen, true);
    }

    char digits[64];
    const int natural = DigitsOf(value, base, HexDigits(d), digits);
    int count = natural;
    if (pointer)
    {
        // Always eight digits at least, with or without "0x" in front of them.
        if (count < 8)
            count = 8;
    }
    else
    {
        int precision = d.Precision;
        if (precision <= 0)
            precision = 1;
        if (precision > 308)
            precision = 308;
        if (precision >= headLen + natural)
        {
            count = precision;
            if (base == 8 && headLen > signLen)
                headLen = signLen; // the leading zeros already say octal
        }
    }
    const int separators = grouping ? (count - 1) / group : 0;
    const int bodyLen = count + separators;
    char16_t body[308 + 102 + 1];
    char16_t* out = body + bodyLen;
    for (int i = 0; i < count; ++i)
    {
        if (grouping && i > 0 && i % group == 0)
            *--out = u' ';
        *--out = i < natural ? static_cast<char16_t>(digits[i]) : u'0';
    }
    return WriteField(s, d, head, headLen, body, bodyLen, true);
}
} // namespace TextFormat

int GString::Format(const char16_t* pattern, ...)
{
    // The old text stays in front of the new one until the end, so that arguments taken from it
    // (s.Format(u"%s\\%s", s.GetW(0), name)) still read it; then it is dropped, in constant time.
    if (!pattern || !Wide)
        EmptyW();
    const int old = Length;
    va_list args;
    va_start(args, pattern);
    const int result = AppendFormatV(pattern, args);
    va_end(args);
    if (old > 0)
    {
        DropLeft(old);
        Terminate();
    }
    return result;
}

int GString::AppendFormatV(const char16_t* pattern, va_list args)
{
    if (!pattern || !Wide)
        return 0;
    TextFormat::Args a;
    va_copy(a.List, args);
    int result;
    if (TextFormat::InBlock(*this, pattern))
    {
        // A pattern taken from this very string would move as the text grows.
        GString copy;
        result = copy.AssignW(pattern) ? TextFormat::Run(*this, copy.GetW(0), a) : 0;
    }
    else
        result = TextFormat::Run(*this, pattern, a);
    va_end(a.List);
    return result;
}
