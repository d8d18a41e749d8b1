#include "text/Digits.h"

#include <cstring>

namespace
{
// Large enough for every value the primitives meet: a double's numerator and denominator after
// scaling stay below 2^1140, and digit generation multiplies by ten once more.
constexpr int kWords = 44;

struct Big
{
    uint32_t w[kWords]; // least significant word first
    int n;              // words in use; no leading zero words
};

void SetU64(Big& b, uint64_t v)
{
    b.n = 0;
    while (v)
    {
        b.w[b.n++] = static_cast<uint32_t>(v);
        v >>= 32;
    }
}

bool MulSmall(Big& b, uint32_t m)
{
    uint64_t carry = 0;
    for (int i = 0; i < b.n; ++i)
    {
        const uint64_t t = static_cast<uint64_t>(b.w[i]) * m + carry;
        b.w[i] = static_cast<uint32_t>(t);
        carry = t >> 32;
    }
    if (carry)
    {
        if (b.n == kWords)
            return false;
        b.w[b.n++] = static_cast<uint32_t>(carry);
    }
    return true;
}

bool MulPow10(Big& b, int power)
{
    while (power >= 9)
    {
        if (!MulSmall(b, 1000000000u))
            return false;
        power -= 9;
    }
    static const uint32_t kSmall[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    return power == 0 || MulSmall(b, kSmall[power]);
}

bool ShiftLeft(Big& b, int bits)
{
    if (b.n == 0 || bits == 0)
        return true;
    const int words = bits / 32;
    const int rest = bits % 32;
    const int top = b.n + words + (rest ? 1 : 0);
    if (top > kWords)
        return false;
    uint32_t out[kWords] = {};
    for (int i = 0; i < b.n; ++i)
    {
        const uint64_t v = static_cast<uint64_t>(b.w[i]) << rest;
        out[i + words] |= static_cast<uint32_t>(v);
        if (rest)
            out[i + words + 1] |= static_cast<uint32_t>(v >> 32);
    }
    memcpy(b.w, out, sizeof out);
    b.n = top;
    while (b.n > 0 && b.w[b.n - 1] == 0)
        --b.n;
    return true;
}

int Compare(const Big& a, const Big& b)
{
    if (a.n != b.n)
        return a.n < b.n ? -1 : 1;
    for (int i = a.n - 1; i >= 0; --i)
        if (a.w[i] != b.w[i])
            return a.w[i] < b.w[i] ? -1 : 1;
    return 0;
}

// a -= b, with a >= b.
void Subtract(Big& a, const Big& b)
{
    int64_t borrow = 0;
    for (int i = 0; i < a.n; ++i)
    {
        int64_t t = static_cast<int64_t>(a.w[i]) - (i < b.n ? b.w[i] : 0) - borrow;
        borrow = t < 0;
        a.w[i] = static_cast<uint32_t>(t + (borrow << 32));
    }
    while (a.n > 0 && a.w[a.n - 1] == 0)
        --a.n;
}

// 2 * a compared with b.
int CompareDouble(const Big& a, const Big& b)
{
    Big twice = a;
    if (!ShiftLeft(twice, 1))
        return 1;
    return Compare(twice, b);
}

int BitLength(uint64_t v)
{
    int n = 0;
    while (v)
    {
        ++n;
        v >>= 1;
    }
    return n;
}

int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The value m x 2^e as the fraction num / den scaled into [0.1, 1), with *decimalExponent such that
// the value is (num / den) x 10^*decimalExponent.  m is not zero.
bool Scale(uint64_t m, int e, Big& num, Big& den, int* decimalExponent)
{
    SetU64(num, m);
    SetU64(den, 1);
    if (e >= 0 ? !ShiftLeft(num, e) : !ShiftLeft(den, -e))
        return false;
    // 2^(bits-1) <= value < 2^bits; 1233 / 4096 is just below log10(2), so the estimate is at most
    // one too small, which the loops below put right.
    const int bits = BitLength(m) + e;
    int estimate = FloorDiv((bits - 1) * 1233, 4096) + 1;
    if (estimate >= 0 ? !MulPow10(den, estimate) : !MulPow10(num, -estimate))
        return false;
    while (Compare(num, den) >= 0)
    {
        if (!MulSmall(den, 10))
            return false;
        ++estimate;
    }
    for (;;)
    {
        Big ten = num;
        if (!MulSmall(ten, 10))
            return false;
        if (Compare(ten, den) >= 0)
            break;
        num = ten;
        --estimate;
    }
    *decimalExponent = estimate;
    return true;
}

// Writes count digits of num / den (in [0, 1)) into out, rounded to nearest, ties to an even last
// digit.  Returns 1 when rounding carried out of the first digit (the digits then read 100...0 and
// one more digit is due).
int Generate(Big& num, const Big& den, int count, char* out)
{
    for (int i = 0; i < count; ++i)
    {
        MulSmall(num, 10); // stays below 10 x den, inside the capacity checked by Scale
        int d = 0;
        while (Compare(num, den) >= 0)
        {
            Subtract(num, den);
            ++d;
        }
        out[i] = static_cast<char>('0' + d);
    }
    const int half = CompareDouble(num, den);
    const bool lastOdd = count > 0 && ((out[count - 1] - '0') & 1);
    if (half < 0 || (half == 0 && !lastOdd))
        return 0;
    for (int i = count - 1; i >= 0; --i)
    {
        if (out[i] != '9')
        {
            ++out[i];
            return 0;
        }
        out[i] = '0';
    }
    return 1;
}

void Finish(DigitString* out, int count, int point)
{
    out->Count = count;
    out->Point = point;
    out->Digits[count] = 0;
}
} // namespace

DoubleParts SplitDouble(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    DoubleParts p;
    p.Negative = static_cast<int>(bits >> 63);
    p.Exponent = static_cast<int>((bits >> 52) & 0x7FF);
    p.Fraction = bits & ((uint64_t(1) << 52) - 1);
    return p;
}

int FixedDigitsOf(uint64_t mantissa, int exponent, int places, DigitString* out)
{
    out->Negative = 0;
    if (places < 0)
        places = 0;
    if (mantissa == 0)
    {
        Finish(out, 0, -places);
        return 1;
    }
    Big num, den;
    int e10;
    if (!Scale(mantissa, exponent, num, den, &e10))
        return 0;
    const int64_t count = static_cast<int64_t>(e10) + places; // digits up to the last place kept
    if (count > DigitString::kMaxDigits)
        return 0;
    if (count < 0)
    {
        // Below a tenth of the last place: rounds to zero.
        Finish(out, 0, -places);
        return 1;
    }
    const int n = static_cast<int>(count);
    if (Generate(num, den, n, out->Digits))
    {
        if (n + 1 > DigitString::kMaxDigits)
            return 0;
        out->Digits[0] = '1';
        memset(out->Digits + 1, '0', static_cast<size_t>(n));
        Finish(out, n + 1, e10 + 1);
        return 1;
    }
    // Leading zeros only arise when nothing was kept (n = 0); drop them so the string starts at the
    // first significant digit.
    int skip = 0;
    while (skip < n && out->Digits[skip] == '0')
        ++skip;
    if (skip == n)
    {
        Finish(out, 0, -places);
        return 1;
    }
    memmove(out->Digits, out->Digits + skip, static_cast<size_t>(n - skip));
    Finish(out, n - skip, e10 - skip);
    return 1;
}

int SignificantDigitsOf(uint64_t mantissa, int exponent, int count, DigitString* out)
{
    out->Negative = 0;
    if (count < 1 || count > DigitString::kMaxDigits)
        return 0;
    if (mantissa == 0)
    {
        memset(out->Digits, '0', static_cast<size_t>(count));
        Finish(out, count, 1);
        return 1;
    }
    Big num, den;
    int e10;
    if (!Scale(mantissa, exponent, num, den, &e10))
        return 0;
    if (Generate(num, den, count, out->Digits))
    {
        out->Digits[0] = '1';
        memset(out->Digits + 1, '0', static_cast<size_t>(count - 1));
        ++e10;
    }
    Finish(out, count, e10);
    return 1;
}

namespace
{
// |x| as mantissa x 2^exponent; false for infinities and NaNs.
bool Decompose(double x, uint64_t* mantissa, int* exponent, int* negative)
{
    const DoubleParts p = SplitDouble(x);
    if (p.Exponent == 0x7FF)
        return false;
    if (p.Exponent == 0)
    {
        *mantissa = p.Fraction;
        *exponent = -1074;
    }
    else
    {
        *mantissa = p.Fraction | (uint64_t(1) << 52);
        *exponent = p.Exponent - 1075;
    }
    // The sign of a value, not of its bits: -0.0 is not below zero.
    *negative = p.Negative && *mantissa != 0;
    return true;
}
} // namespace

int FixedDigits(double x, int places, DigitString* out)
{
    uint64_t m;
    int e, negative;
    if (!Decompose(x, &m, &e, &negative) || !FixedDigitsOf(m, e, places, out))
        return 0;
    out->Negative = negative;
    return 1;
}

int SignificantDigits(double x, int count, DigitString* out)
{
    uint64_t m;
    int e, negative;
    if (!Decompose(x, &m, &e, &negative) || !SignificantDigitsOf(m, e, count, out))
        return 0;
    out->Negative = negative;
    return 1;
}
