// Real numbers, sizes scaled by powers of 1024, IPv4 addresses and interface identifiers.
#include "FormatCases.h"

#include <cfloat>
#include <cmath>
#include <limits>

using namespace std::string_literals;

namespace
{
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
} // namespace

TEST(FormatReals, Fixed)
{
    RunFormatCases({
        {u"%f", {D(3.14159)}, u"3.141590"s},
        {u"%.2f", {D(3.14159)}, u"3.14"s},
        {u"%.0f", {D(3.14159)}, u"3.141590"s}, // no way to ask for no decimals
        {u"%f", {D(-0.5)}, u"-0.500000"s},
        {u"%f", {D(0.000000001)}, u"0.000000"s},
        {u"%f", {D(-0.000000001)}, u"-0.000000"s},
        {u"%f", {D(-0.0)}, u"0.000000"s},
        {u"%08.2f", {D(-1.5)}, u"-0001.50"s},
        {u"%-8.2f|", {D(-1.5)}, u"-1.50   |"s},
        {u"%+.1f|% .1f", {D(2.0), D(2.0)}, u"+2.0| 2.0"s},
        {u"%.2f", {D(0.125)}, u"0.12"s}, // an exact tie goes to the even digit
        {u"%.2f", {D(0.375)}, u"0.38"s},
        {u"%.1f", {D(9.96)}, u"10.0"s},
        {u"%.3f", {D(0.0005)}, u"0.001"s}, // 0.0005 is a little above the tie as a double
        {u"%.20f", {D(0.1)}, u"0.10000000000000000555"s},
        {u"%f", {D(1e21)}, u"1000000000000000000000.000000"s},
        {u"%.1f",
         {D(DBL_MAX)},
         u"179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558632766878171540458953514382464234321326889464182768467546703537516986049910576551282076245490090389328944075868508455133942304583236903222948165808559332123348274797826204144723168738177180919299881250404026184124858368.0"s},
        // More than 351 digits fails the directive.
        {u"<%.300f>", {D(1e300)}, u"<"s, 0},
        {u"%.44f",
         {D(1e306)},
         u"1000000000000000017216064596736454828831087825013238982328892017892380671244575047987920451875459594568606138861698291060311049225532948520696938805711440650122628514669428460356992624968028329550689224175284346730060716088829214255439694630119794546505512415617982143262670862918816362862119154749127262208.00000000000000000000000000000000000000000000"s},
        {u"<%.45f>", {D(1e306)}, u"<"s, 0},
    });
}

TEST(FormatReals, Exponent)
{
    RunFormatCases({
        {u"%e", {D(12345.678)}, u"1.234568e+04"s},
        {u"%E", {D(1e-100)}, u"1.000000E-100"s},
        {u"%e", {D(0.0)}, u"0.000000e+00"s},
        {u"%.0e", {D(5.0)}, u"5.000000e+00"s},
        {u"%.2e", {D(9.999)}, u"1.00e+01"s},
        {u"%.3e", {D(DBL_MAX)}, u"1.798e+308"s},
        {u"%e", {D(4.9406564584124654e-324)}, u"4.940656e-324"s},
        {u"%012.2e", {D(-1234.5)}, u"-0001.23e+03"s},
        {u"%.308e", {D(1.0)}, u"1." + std::u16string(308, u'0') + u"e+00"},
        {u"%.400e", {D(1.0)}, u"1." + std::u16string(308, u'0') + u"e+00"},
    });
}

TEST(FormatReals, General)
{
    RunFormatCases({
        {u"%g", {D(3.14159)}, u"3"s}, // an absent precision gives one significant digit
        {u"%.3g", {D(3.14159)}, u"3.14"s},
        {u"%.3g", {D(0.0001234)}, u"0.000123"s},
        {u"%.3g", {D(0.00001234)}, u"1.23e-05"s},
        {u"%#.3g", {D(1.0)}, u"1.00"s},
        {u"%.3g", {D(1e6)}, u"1e+06"s},
        {u"%.*g", {I(-1), D(3.14159)}, u"3.14159"s},
        // The form switches where the exponent leaves -4 .. precision - 1, after rounding.
        {u"%.3g", {D(0.0001)}, u"0.0001"s},
        {u"%.3g", {D(0.00001)}, u"1e-05"s},
        {u"%.3g", {D(0.000099996)}, u"0.0001"s},
        {u"%.3g", {D(999.0)}, u"999"s},
        {u"%.3g", {D(999.5)}, u"1e+03"s},
        {u"%.3g", {D(1000.0)}, u"1e+03"s},
        {u"%#.3g", {D(1000.0)}, u"1.00e+03"s},
        {u"%.3g", {D(100.0)}, u"100"s}, // zeros of the integer part stay
        {u"%.4g", {D(1.5)}, u"1.5"s},
        {u"%#.4g", {D(1.5)}, u"1.500"s},
        {u"%.3G", {D(1.5e-10)}, u"1.5E-10"s},
        {u"%g", {D(0.0)}, u"0"s},
        {u"%#g", {D(0.0)}, u"0."s},
        {u"%#.3g", {D(0.0)}, u"0.00"s},
        {u"%+g", {D(-2.0)}, u"-2"s},
        {u"%06.3g", {D(-1.5)}, u"-001.5"s},
    });
}

TEST(FormatReals, Hexadecimal)
{
    RunFormatCases({
        {u"%a", {D(1.0)}, u"0x1p+0"s},
        {u"%a", {D(0.5)}, u"0x1p-1"s},
        {u"%.1a", {D(1.96875)}, u"0x2.0p+0"s}, // the carry reaches the lead digit
        {u"%A", {D(255.0)}, u"0x1.FEP+7"s},
        {u"%a", {D(0.0)}, u"0x0p+0"s},
        {u"%a", {D(-0.0)}, u"-0x0p+0"s},
        {u"%#a", {D(1.0)}, u"0x1.p+0"s},
        {u"%.2a", {D(1.998046875)}, u"0x2.00p+0"s},  // 0x1.ff8
        {u"%.2a", {D(1.0048828125)}, u"0x1.01p+0"s}, // 0x1.014 stays
        {u"%.1a", {D(1.03125)}, u"0x1.1p+0"s},       // 0x1.08 rounds up
        {u"%.3A", {D(1.0)}, u"0x1.000P+0"s},
        {u"%.15a", {D(1.0)}, u"0x1.000000000000000p+0"s},
        {u"%a", {D(4.9406564584124654e-324)}, u"0x0.0000000000001p-1022"s},
        {u"%.1a", {D(2.2250738585072009e-308)}, u"0x1.0p-1022"s}, // the largest subnormal carries to 1
        {u"%a", {D(DBL_MAX)}, u"0x1.fffffffffffffp+1023"s},
        {u"%010a", {D(1.0)}, u"0x00001p+0"s},
        {u"%+a|% a", {D(1.0), D(1.0)}, u"+0x1p+0| 0x1p+0"s},
        {u"%10a|", {D(-1.5)}, u" -0x1.8p+0|"s},
    });
}

TEST(FormatReals, Engineering)
{
    RunFormatCases({
        {u"%F", {D(12345.678)}, u"12.3e+03"s},
        {u"%#F", {D(12345.678)}, u"12.3 k"s},
        {u"%#F", {D(0.000047)}, u"47.0 \u00B5"s},
        {u"%#F", {D(0.5)}, u"500. m"s},
        {u"%#F", {D(0.0)}, u"0.00  "s},
        {u"%#F", {D(1e30)}, u"1.00e+30"s},
        {u"%hF", {I(2000)}, u"2.00e+03"s},
        {u"%LF", {L(-1500000)}, u"-1.50e+06"s},
        {u"%#.5F", {D(-0.0123456)}, u"-12.346 m"s},
        {u"%.1F", {D(1.0)}, u"1.00e+00"s},
        {u"%F", {D(0.001)}, u"1.00e-03"s},
        {u"%F", {D(999.9)}, u"1.00e+03"s}, // rounding moves the exponent up first
        {u"%09.3F", {D(-12345.678)}, u"-12.3e+03"s},
    });
    // Every prefix from y to Y, and the exponent text just outside them.
    const char16_t prefixes[] = u"yzafpn\u00B5m kMGTPEZY";
    for (int i = 0; i < 17; ++i)
    {
        const int exponent = 3 * i - 24;
        std::u16string expected = u"1.00 ";
        expected += prefixes[i];
        RunFormatCases({{u"%#F", {D(std::pow(10.0, exponent))}, expected}});
        RunFormatCases(
            {{u"%#F", {D(20 * std::pow(10.0, exponent))}, u"20.0 " + std::u16string(1, prefixes[i])}});
    }
    RunFormatCases({
        {u"%#F", {D(1e27)}, u"1.00e+27"s},
        {u"%#F", {D(1e-27)}, u"1.00e-27"s},
        {u"%#F", {D(500e24)}, u"500. Y"s},
    });
}

TEST(FormatReals, SpecialValues)
{
    RunFormatCases({
        {u"%8f", {D(kInf)}, u"  {+inf}"s},
        {u"%08f", {D(kInf)}, u"00{+inf}"s},
        {u"%e", {D(kNaN)}, u"{ nan}"s},
        {u"%-8g|", {D(-kInf)}, u"{-inf}  |"s},
        {u"%+.3f", {D(kInf)}, u"{+inf}"s},
        {u"%.3a|%A", {D(kNaN), D(-kInf)}, u"{ nan}|{-inf}"s},
        {u"%#F", {D(kInf)}, u"{+inf}"s},
        {u"%1000f", {D(kInf)}, std::u16string(506, u' ') + u"{+inf}"},
        {u"%1000f", {D(1.0)}, std::u16string(504, u' ') + u"1.000000"},
        {u"%-1000e|", {D(1.0)}, u"1.000000e+00" + std::u16string(500, u' ') + u"|"},
    });
}

TEST(FormatSizes, ScaledByPowersOf1024)
{
    RunFormatCases({
        {u"%U", {I(1536)}, u"1.5b10"s},
        {u"%#U", {I(1536)}, u"1.5 Ki"s},
        {u"%#U", {I(524288)}, u"0.5 Mi"s},
        {u"%#U", {I(100)}, u"0.1 Ki"s},
        {u"%#.3U", {I(100)}, u"100.  "s},
        {u"%#U", {I(0)}, u"0.0  "s},
        {u"%#I", {I(-2048)}, u"-2.0 Ki"s},
        {u"%LU", {L(INT64_MIN)}, u"8.0b60"s}, // 2^63, unsigned
        {u"%#LU", {L(INT64_MIN)}, u"8.0 Ei"s},
        {u"%#LU", {L(-1)}, u"16. Ei"s},
        {u"%#LI", {L(INT64_MIN)}, u"-8.0 Ei"s},
        {u"%U", {I(-1)}, u"4.0b30"s},
        {u"%I", {I(-1)}, u"-1.0b00"s},
        {u"%.*U", {I(-1), I(1536)}, u"1.50b10"s},
        {u"%.1U", {I(5)}, u"5.0b00"s},
        {u"%#.4U", {I(1536)}, u"1.500 Ki"s},
        {u"%+U", {I(1)}, u"+1.0b00"s},
        {u"%09U", {I(1536)}, u"0001.5b10"s},
        {u"%-8U|", {I(1536)}, u"1.5b10  |"s},
        // Rounding past the last place rolls over to the next unit, with one digit less.
        {u"%#U", {I(1000)}, u"1.0 Ki"s},
        {u"%#U", {I(1023)}, u"1.0 Ki"s},
        {u"%#.3U", {I(1023)}, u"1.00 Ki"s},
        {u"%#.3U", {I(1000)}, u"0.98 Ki"s},
        {u"%#U", {I(1048000)}, u"1.0 Mi"s},
        {u"%#U", {I(102400)}, u"0.1 Mi"s},
        {u"%#U", {I(1048576)}, u"1.0 Mi"s},
        {u"%#LU", {L(1LL << 40)}, u"1.0 Ti"s},
        {u"%#LU", {L(1LL << 50)}, u"1.0 Pi"s},
        {u"%#U", {I(1 << 30)}, u"1.0 Gi"s},
    });
}

TEST(FormatAddresses, Ipv4AndInterfaceIdentifiers)
{
    const unsigned char ip[] = {0x0A, 0x01, 0xA8, 0xC0};
    const unsigned char zero[] = {0, 0, 0, 0};
    const unsigned char guid[] = {0x78, 0x56, 0x34, 0x12, 0x34, 0x12, 0x78, 0x56,
                                  0x01, 0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    RunFormatCases({
        {u"%w", {P(ip)}, u"192.168.1.10"s},
        {u"%W", {P(ip)}, u"192.168.1.10"s},
        {u"%0w", {P(ip)}, u"192.168.001.010"s},
        {u"%w", {P(zero)}, u"0.0.0.0"s},
        {u"%016w", {P(ip)}, u" 192.168.001.010"s}, // the fill is always spaces
        {u"%16w", {P(ip)}, u"    192.168.1.10"s},
        {u"%-14w|", {P(ip)}, u"192.168.1.10  |"s},
        {u"%Lw", {P(ip)}, u"192.168.1.10"s},
        {u"%w", {P(nullptr)}, u"{null}"s},
        {u"%08w", {P(nullptr)}, u"  {null}"s},
        {u"%hW", {P(guid)}, u"{12345678-1234-5678-0102-AABBCCDDEEFF}"s},
        {u"%hw", {P(guid)}, u"{12345678-1234-5678-0102-aabbccddeeff}"s},
        {u"%040hW", {P(guid)}, u"  {12345678-1234-5678-0102-AABBCCDDEEFF}"s},
        {u"%hw", {P(nullptr)}, u"{null}"s},
    });
}
