// Decimal digits of binary numbers, correctly rounded: the ground of the formatter's real and size
// conversions.  Everything is exact integer arithmetic over the number's bits, so every build prints
// the same digits for the same value, whatever its C runtime would have done.
#pragma once

#include <cstdint>

struct DigitString
{
    static constexpr int kMaxDigits = 351;
    char Digits[kMaxDigits + 1]; // ASCII digits, no sign, no point; terminated
    int Count;                   // digits in Digits
    int Point;                   // the value is 0.Digits x 10^Point
    int Negative;                // the value is below zero
};

// The digits of |x| rounded to places digits after the decimal point, from the first significant
// digit on; a value that rounds to zero gives no digits and Point -places.  0 when x is not finite
// or more than kMaxDigits digits would be needed.
int FixedDigits(double x, int places, DigitString* out);

// Exactly count digits of |x| rounded to count significant digits (1 to kMaxDigits); zero gives
// count zeros with Point 1.  0 when x is not finite or count is out of range.
int SignificantDigits(double x, int count, DigitString* out);

// The same for the value mantissa x 2^exponent (never negative).
int FixedDigitsOf(uint64_t mantissa, int exponent, int places, DigitString* out);
int SignificantDigitsOf(uint64_t mantissa, int exponent, int count, DigitString* out);

// The fields of a double: sign bit, biased exponent (0 to 2047) and the 52 fraction bits.
struct DoubleParts
{
    int Negative;
    int Exponent;
    uint64_t Fraction;
};
DoubleParts SplitDouble(double x);
