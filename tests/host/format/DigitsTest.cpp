// The digit primitives: exact rounding to nearest, point positions, limits.
#include "text/Digits.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace
{
struct DigitCase
{
    double x;
    int k;
    const char* digits;
    int point;
};

void ExpectDigits(bool fixed, const DigitCase& c)
{
    DigitString ds;
    ASSERT_EQ(fixed ? FixedDigits(c.x, c.k, &ds) : SignificantDigits(c.x, c.k, &ds), 1) << c.x;
    EXPECT_EQ(std::string(ds.Digits), c.digits) << (fixed ? "fixed " : "significant ") << c.x << " " << c.k;
    EXPECT_EQ(ds.Count, static_cast<int>(strlen(c.digits)));
    EXPECT_EQ(ds.Point, c.point) << (fixed ? "fixed " : "significant ") << c.x << " " << c.k;
}
} // namespace

TEST(Digits, Significant)
{
    const DigitCase cases[] = {
        {9.99, 2, "10", 2},
        {1.0, 1, "1", 1},
        {123.456, 5, "12346", 3},
        {0.000123456, 3, "123", -3},
        {0.0, 4, "0000", 1},
        {-0.0, 2, "00", 1},
        {2.5, 1, "2", 1}, // exact ties go to the even digit
        {3.5, 1, "4", 1},
        {0.15, 1, "1", 0}, // 0.15 is a little below the tie as a double
        {DBL_MAX, 17, "17976931348623157", 309},
        {DBL_TRUE_MIN, 3, "494", -323},
        {DBL_MIN, 5, "22251", -307},
        {1e23, 17, "99999999999999992", 23},
        {9.5, 1, "1", 2}, // rounds up into a new digit: to 1 x 10^1
    };
    for (const DigitCase& c : cases)
        ExpectDigits(false, c);
}

TEST(Digits, Fixed)
{
    const DigitCase cases[] = {
        {3.14159, 2, "314", 1}, {0.5, 0, "", 0}, // the tie rounds to the even 0
        {1.5, 0, "2", 1},       {2.5, 0, "2", 1},       {0.125, 2, "12", 0},
        {0.0001, 2, "", -2},    {0.006, 2, "1", -1}, // 0.01
        {0.0051, 2, "1", -1},                        // a leading place that rounds up
        {0.004, 2, "", -2},     {9.9999, 2, "1000", 2}, {0.0, 3, "", -3},
        {1e-9, 6, "", -6},      {123.0, 0, "123", 3},   {DBL_TRUE_MIN, 308, "", -308},
    };
    for (const DigitCase& c : cases)
        ExpectDigits(true, c);
}

TEST(Digits, SignAndLimits)
{
    DigitString ds;
    ASSERT_EQ(FixedDigits(-2.25, 1, &ds), 1);
    EXPECT_EQ(ds.Negative, 1);
    EXPECT_EQ(std::string(ds.Digits), "22");
    ASSERT_EQ(SignificantDigits(-0.0, 1, &ds), 1);
    EXPECT_EQ(ds.Negative, 0);
    EXPECT_EQ(FixedDigits(1e300, 300, &ds), 0); // 601 digits
    EXPECT_EQ(FixedDigits(1e306, 44, &ds), 1);  // 351 digits
    EXPECT_EQ(ds.Count, 351);
    EXPECT_EQ(FixedDigits(1e306, 45, &ds), 0);
    EXPECT_EQ(FixedDigits(9.9999999, 343, &ds), 1); // 344 digits, rounding adds none
    EXPECT_EQ(SignificantDigits(1.0, 351, &ds), 1);
    EXPECT_EQ(SignificantDigits(1.0, 352, &ds), 0);
    EXPECT_EQ(SignificantDigits(1.0, 0, &ds), 0);
    EXPECT_EQ(SignificantDigits(std::numeric_limits<double>::infinity(), 3, &ds), 0);
    EXPECT_EQ(FixedDigits(std::numeric_limits<double>::quiet_NaN(), 3, &ds), 0);
    // The integer forms: 1023 / 1024 and 2^64 - 1.
    ASSERT_EQ(SignificantDigitsOf(1023, -10, 4, &ds), 1);
    EXPECT_EQ(std::string(ds.Digits), "9990");
    EXPECT_EQ(ds.Point, 0);
    ASSERT_EQ(SignificantDigitsOf(~0ull, 0, 20, &ds), 1);
    EXPECT_EQ(std::string(ds.Digits), "18446744073709551615");
    EXPECT_EQ(ds.Point, 20);
}

#ifndef _WIN32
// glibc's printf is exact and rounds ties to even, as the primitives do: compare their digits on
// many values of every magnitude.  (The C runtime of Windows is not exact, so this runs here only.)
TEST(Digits, AgreeWithAnExactPrintf)
{
    std::mt19937_64 random(12345);
    char expected[800];
    for (int i = 0; i < 8000; ++i)
    {
        uint64_t bits = random();
        if (((bits >> 52) & 0x7FF) == 0x7FF)
            continue;
        double x;
        memcpy(&x, &bits, sizeof x);
        x = x < 0 ? -x : x;
        const int k = static_cast<int>(random() % 40) + 1;
        DigitString ds;
        ASSERT_EQ(SignificantDigits(x, k, &ds), 1);
        snprintf(expected, sizeof expected, "%.*e", k - 1, x);
        std::string digits(1, expected[0]);
        digits += std::string(expected + 2, k - 1); // skip the point
        ASSERT_EQ(std::string(ds.Digits), x == 0 ? std::string(k, '0') : digits) << expected;
        if (x != 0)
            ASSERT_EQ(ds.Point - 1, atoi(strchr(expected, 'e') + 1)) << expected;

        const int places = static_cast<int>(random() % 30);
        if (FixedDigits(x, places, &ds))
        {
            snprintf(expected, sizeof expected, "%.*f", places, x);
            std::string all;
            for (const char* p = expected; *p; ++p)
                if (*p != '.')
                    all += *p;
            all.erase(0, all.find_first_not_of('0'));
            ASSERT_EQ(std::string(ds.Digits), all) << expected;
            ASSERT_EQ(ds.Count - ds.Point, places) << expected;
        }
        else
        {
            // Refused only when the digits from the first significant one exceed the limit.
            snprintf(expected, sizeof expected, "%.*f", places, x);
            std::string all(expected);
            all.erase(all.find('.'), 1);
            all.erase(0, all.find_first_not_of('0'));
            ASSERT_GT(all.size(), 351u) << expected;
        }
    }
}
#endif
