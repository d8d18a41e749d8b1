// Runs tables of formatting cases: pattern, arguments, expected text and result.
#pragma once

#include "ArgCall.h"

#include <gtest/gtest.h>

#include <vector>

struct FormatCase
{
    const char16_t* pattern;
    std::vector<FormatArg> args;
    std::u16string expected;
    int result = 1;
};

// The text is terminated, also after a failure.
inline bool Terminated(const GString& s)
{
    if (!s.Block)
        return s.GetLength() == 0;
    char16_t unit;
    memcpy(&unit, s.Block + 4 + 2 * (s.Start + s.GetLength()), 2);
    return unit == 0;
}

inline void RunFormatCases(const std::vector<FormatCase>& cases)
{
    for (const FormatCase& c : cases)
    {
        GString s;
        s.EmptyW();
        const int result = CallWithArgs<4>(s, c.pattern, c.args.data(), static_cast<int>(c.args.size()));
        const std::u16string pattern(c.pattern);
        EXPECT_EQ(result, c.result) << "pattern " << Show(pattern);
        EXPECT_EQ(Text(s), c.expected) << "pattern " << Show(pattern) << " gave \"" << Show(Text(s))
                                       << "\", expected \"" << Show(c.expected) << "\"";
        EXPECT_TRUE(Terminated(s)) << "pattern " << Show(pattern);
    }
}
