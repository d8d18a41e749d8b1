// The formatter's real-number, size and address conversions.
#include "text/Digits.h"
#include "text/FormatInternal.h"

namespace TextFormat
{
namespace
{
constexpr int kMaxWidth = 512;
constexpr int kMaxPrecision = 308;
// The longest text a real or size conversion produces stays well below this: 351 digits, a sign,
// a point and an exponent.
constexpr int kTextRoom = 528;

// The width limit of the real and size conversions.
Directive Limited(const Directive& d)
{
    Directive l = d;
    if (l.Width > kMaxWidth)
        l.Width = kMaxWidth;
    return l;
}

char16_t SignOf(bool negative, unsigned flags)
{
    if (negative)
        return u'-';
    if (flags & kPlus)
        return u'+';
    if (flags & kSpace)
        return u' ';
    return 0;
}

char16_t* PutAscii(char16_t* out, const char* text, int n)
{
    for (int i = 0; i < n; ++i)
        *out++ = static_cast<char16_t>(text[i]);
    return out;
}

char16_t* PutDecimal(char16_t* out, unsigned v, int minDigits)
{
    char digits[12];
    int n = 0;
    do
    {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    while (n < minDigits)
        digits[n++] = '0';
    while (n > 0)
        *out++ = static_cast<char16_t>(digits[--n]);
    return out;
}

// "e" or "E", the exponent's sign, then at least two digits.
char16_t* PutExponent(char16_t* out, int x, bool upper)
{
    *out++ = upper ? u'E' : u'e';
    *out++ = x < 0 ? u'-' : u'+';
    return PutDecimal(out, static_cast<unsigned>(x < 0 ? -x : x), 2);
}

// Infinities and NaNs take a fixed six-character text, filled like any other.
bool Special(double x, const char16_t** text)
{
    const DoubleParts p = SplitDouble(x);
    if (p.Exponent != 0x7FF)
        return false;
    *text = p.Fraction ? u"{ nan}" : p.Negative ? u"{-inf}" : u"{+inf}";
    return true;
}

int WriteSigned(GString& s, const Directive& d, char16_t sign, const char16_t* body, int bodyLen)
{
    const int headLen = sign ? 1 : 0;
    return WriteField(s, d, &sign, headLen, body, bodyLen, true);
}

int Fixed(GString& s, const Directive& d, double x)
{
    int precision = d.Precision <= 0 ? 6 : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    DigitString ds;
    if (!FixedDigits(x, precision, &ds))
        return 0;
    int point = ds.Point < -precision ? -precision : ds.Point;
    char16_t body[kTextRoom];
    char16_t* out = body;
    if (point > 0)
    {
        out = PutAscii(out, ds.Digits, point);
        *out++ = u'.';
        out = PutAscii(out, ds.Digits + point, ds.Count - point);
    }
    else
    {
        *out++ = u'0';
        *out++ = u'.';
        out = Repeat(out, u'0', -point);
        out = PutAscii(out, ds.Digits, ds.Count);
    }
    return WriteSigned(s, d, SignOf(ds.Negative, d.Flags), body, static_cast<int>(out - body));
}

int Exponent(GString& s, const Directive& d, double x)
{
    int precision = d.Precision <= 0 ? 6 : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    DigitString ds;
    if (!SignificantDigits(x, precision + 1, &ds))
        return 0;
    const int exponent = x == 0 ? 0 : ds.Point - 1;
    char16_t body[kTextRoom];
    char16_t* out = body;
    *out++ = static_cast<char16_t>(ds.Digits[0]);
    *out++ = u'.';
    out = PutAscii(out, ds.Digits + 1, precision);
    out = PutExponent(out, exponent, d.Upper != 0);
    return WriteSigned(s, d, SignOf(ds.Negative, d.Flags), body, static_cast<int>(out - body));
}

int General(GString& s, const Directive& d, double x)
{
    int precision = d.Precision < 0 ? 6 : d.Precision == 0 ? 1 : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    const bool alt = (d.Flags & kAlt) != 0;
    DigitString ds;
    if (!SignificantDigits(x, precision, &ds))
        return 0;
    const int exponent = x == 0 ? 0 : ds.Point - 1;
    char16_t body[kTextRoom];
    char16_t* out = body;
    int count = ds.Count;
    if (exponent < -4 || exponent >= precision)
    {
        if (!alt)
            while (count > 1 && ds.Digits[count - 1] == '0')
                --count;
        *out++ = static_cast<char16_t>(ds.Digits[0]);
        if (count > 1 || alt)
        {
            *out++ = u'.';
            out = PutAscii(out, ds.Digits + 1, count - 1);
        }
        out = PutExponent(out, exponent, d.Upper != 0);
    }
    else
    {
        int point = ds.Point;
        if (x == 0 && !alt)
        {
            count = 1;
            point = 1;
        }
        if (!alt)
            while (count > point && count > 1 && ds.Digits[count - 1] == '0')
                --count;
        if (point > 0)
        {
            out = PutAscii(out, ds.Digits, point);
            if (count > point || alt)
            {
                *out++ = u'.';
                out = PutAscii(out, ds.Digits + point, count - point);
            }
        }
        else
        {
            *out++ = u'0';
            *out++ = u'.';
            out = Repeat(out, u'0', -point);
            out = PutAscii(out, ds.Digits, count);
        }
    }
    return WriteSigned(s, d, SignOf(ds.Negative, d.Flags), body, static_cast<int>(out - body));
}

int Hexadecimal(GString& s, const Directive& d, double x)
{
    const DoubleParts parts = SplitDouble(x);
    const char* hex = HexDigits(d);
    int lead = parts.Exponent == 0 ? 0 : 1;
    const int exponent = parts.Exponent != 0 ? parts.Exponent - 1023 : parts.Fraction ? -1022 : 0;
    int nibbles[13];
    int needed = 0;
    for (int i = 0; i < 13; ++i)
    {
        nibbles[i] = static_cast<int>((parts.Fraction >> (48 - 4 * i)) & 15);
        if (nibbles[i])
            needed = i + 1;
    }
    int precision = d.Precision <= 0 ? needed : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    int shown[kMaxPrecision];
    for (int i = 0; i < precision; ++i)
        shown[i] = i < 13 ? nibbles[i] : 0;
    if (precision < 13 && nibbles[precision] >= 8)
    {
        int i = precision - 1;
        while (i >= 0 && shown[i] == 15)
            shown[i--] = 0;
        if (i >= 0)
            ++shown[i];
        else
            ++lead; // 0x1.f8 to one place is 0x2.0
    }
    char16_t head[3];
    int headLen = 0;
    const char16_t sign = SignOf(parts.Negative != 0, d.Flags);
    if (sign)
        head[headLen++] = sign;
    head[headLen++] = u'0';
    head[headLen++] = u'x';
    char16_t body[kTextRoom];
    char16_t* out = body;
    *out++ = static_cast<char16_t>(hex[lead]);
    if (precision > 0 || (d.Flags & kAlt))
    {
        *out++ = u'.';
        for (int i = 0; i < precision; ++i)
            *out++ = static_cast<char16_t>(hex[shown[i]]);
    }
    *out++ = d.Upper ? u'P' : u'p';
    *out++ = exponent < 0 ? u'-' : u'+';
    out = PutDecimal(out, static_cast<unsigned>(exponent < 0 ? -exponent : exponent), 1);
    return WriteField(s, d, head, headLen, body, static_cast<int>(out - body), true);
}

int Engineering(GString& s, const Directive& d, double x)
{
    int precision = d.Precision < 3 ? 3 : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    DigitString ds;
    if (!SignificantDigits(x, precision, &ds))
        return 0;
    int exponent = x == 0 ? 0 : ds.Point - 1;
    int before = 1;
    const int rest = exponent % 3;
    if (rest == 1 || rest == -2)
    {
        before = 2;
        exponent -= 1;
    }
    else if (rest == 2 || rest == -1)
    {
        before = 3;
        exponent -= 2;
    }
    char16_t body[kTextRoom];
    char16_t* out = PutAscii(body, ds.Digits, before);
    *out++ = u'.';
    out = PutAscii(out, ds.Digits + before, precision - before);
    if ((d.Flags & kAlt) && exponent >= -24 && exponent <= 24)
    {
        static const char16_t kPrefixes[] = u"yzafpn\u00B5m kMGTPEZY";
        *out++ = u' ';
        *out++ = kPrefixes[(exponent + 24) / 3];
    }
    else
        out = PutExponent(out, exponent, false);
    return WriteSigned(s, d, SignOf(ds.Negative, d.Flags), body, static_cast<int>(out - body));
}
} // namespace

int FormatReal(GString& s, const Directive& given, Args& a)
{
    const Directive d = Limited(given);
    double x;
    if (d.Letter == u'F' && d.Size == kSizeH)
        x = TakeInt32(a);
    else if (d.Letter == u'F' && d.Size == kSize64)
        x = static_cast<double>(TakeInt64(a));
    else
        x = TakeDouble(a);
    const char16_t* special;
    if (Special(x, &special))
        return WriteField(s, d, nullptr, 0, special, 6, true);
    switch (d.Letter)
    {
        case u'f':
            return Fixed(s, d, x);
        case u'e':
        case u'E':
            return Exponent(s, d, x);
        case u'g':
        case u'G':
            return General(s, d, x);
        case u'a':
        case u'A':
            return Hexadecimal(s, d, x);
        default:
            return Engineering(s, d, x);
    }
}

int FormatSize(GString& s, const Directive& given, Args& a)
{
    const Directive d = Limited(given);
    const bool isSigned = d.Letter == u'I';
    uint64_t magnitude;
    bool negative = false;
    magnitude = TakeMagnitude(a, d.Size == kSize64, isSigned, &negative);
    int precision = d.Precision < 0 ? 3 : d.Precision < 2 ? 2 : d.Precision;
    if (precision > kMaxPrecision)
        precision = kMaxPrecision;
    int power = 0; // of 1024
    while (power < 6 && (magnitude >> (10 * (power + 1))) != 0)
        ++power;
    // magnitude / 1024^power exactly, as the digit primitives take it: mantissa x 2^exponent.
    DigitString ds;
    if (!SignificantDigitsOf(magnitude, -10 * power, precision, &ds))
        return 0;
    if (ds.Point > precision)
    {
        // 999.7 to three digits is 1000: one unit up, shown with one digit less.
        ++power;
        if (!SignificantDigitsOf(magnitude, -10 * power, precision - 1, &ds))
            return 0;
    }
    char16_t body[kTextRoom];
    char16_t* out = body;
    if (ds.Point <= 0)
    {
        *out++ = u'0';
        *out++ = u'.';
        out = PutAscii(out, ds.Digits, precision - 1 < ds.Count ? precision - 1 : ds.Count);
    }
    else
    {
        for (int place = 0; place < precision; ++place)
        {
            *out++ = place < ds.Count ? static_cast<char16_t>(ds.Digits[place]) : u'0';
            if (place + 1 == ds.Point)
                *out++ = u'.';
        }
    }
    if (d.Flags & kAlt)
    {
        static const char kUnits[] = "KMGTPEZY";
        *out++ = u' ';
        if (power == 0)
            *out++ = u' ';
        else
        {
            *out++ = static_cast<char16_t>(kUnits[power - 1]);
            *out++ = u'i';
        }
    }
    else
    {
        *out++ = u'b';
        *out++ = static_cast<char16_t>(u'0' + power);
        *out++ = u'0';
    }
    return WriteSigned(s, d, SignOf(negative, d.Flags), body, static_cast<int>(out - body));
}

int FormatAddress(GString& s, const Directive& d, Args& a)
{
    int64_t limit = 0;
    const unsigned char* p = static_cast<const unsigned char*>(Relocate(s, a, TakePointer(a), &limit));
    if (!p)
        return WriteField(s, d, nullptr, 0, kNullText, kNullLength, false);
    // Read before the field makes room: the bytes may lie in the string's own block.
    unsigned char bytes[16];
    memcpy(bytes, p, d.Size == kSizeH ? 16 : 4);
    p = bytes;
    char16_t body[40];
    char16_t* out = body;
    if (d.Size == kSizeH)
    {
        // The Windows identifier layout: three little-endian fields, then eight bytes in order.
        static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
        const char* hex = HexDigits(d);
        *out++ = u'{';
        for (int i = 0; i < 16; ++i)
        {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                *out++ = u'-';
            const unsigned b = p[kOrder[i]];
            *out++ = static_cast<char16_t>(hex[b >> 4]);
            *out++ = static_cast<char16_t>(hex[b & 15]);
        }
        *out++ = u'}';
    }
    else
    {
        const int digits = (d.Flags & kZero) ? 3 : 1;
        for (int i = 3; i >= 0; --i)
        {
            out = PutDecimal(out, p[i], digits);
            if (i > 0)
                *out++ = u'.';
        }
    }
    return WriteField(s, d, nullptr, 0, body, static_cast<int>(out - body), false);
}
} // namespace TextFormat
