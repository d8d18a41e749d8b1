#include "text/Scan.h"

int ScanHex(const char16_t* text, unsigned* value)
{
    if (!text)
        return 0;
    const char16_t* p = text;
    while (*p == u' ' || (*p >= u'\t' && *p <= u'\r'))
        ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-')
        negative = *p++ == u'-';
    auto digit = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    };
    // "0x" counts as a prefix only when a digit follows it; a lone "0" is the number 0.
    if (p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && digit(p[2]) >= 0)
        p += 2;
    if (digit(*p) < 0)
        return 0;
    unsigned result = 0;
    for (int d; (d = digit(*p)) >= 0; ++p)
        result = result * 16 + static_cast<unsigned>(d);
    *value = negative ? 0u - result : result;
    return 1;
}
