// Calls GString::AppendFormatV with an argument list whose types are chosen at run time, so that
// tables of cases (and the fuzzer) can describe their arguments as data.
#pragma once

#include "text/GString.h"

#include <cstdarg>
#include <cstdint>
#include <string>

struct FormatArg
{
    enum Kind
    {
        Int32,
        Int64,
        Real,
        Pointer
    } kind;
    int32_t i32 = 0;
    int64_t i64 = 0;
    double real = 0;
    const void* ptr = nullptr;
};

inline FormatArg I(int32_t v)
{
    return {FormatArg::Int32, v, 0, 0, nullptr};
}
inline FormatArg L(int64_t v)
{
    return {FormatArg::Int64, 0, v, 0, nullptr};
}
inline FormatArg D(double v)
{
    return {FormatArg::Real, 0, 0, v, nullptr};
}
inline FormatArg P(const void* v)
{
    return {FormatArg::Pointer, 0, 0, 0, v};
}

inline int AppendFormatList(GString& s, const char16_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    const int result = s.AppendFormatV(pattern, args);
    va_end(args);
    return result;
}

// Builds the call one argument at a time; at most Max arguments are passed.
template <int Max, class... T>
int CallWithArgs(GString& s, const char16_t* pattern, const FormatArg* args, int count, T... taken)
{
    if constexpr (sizeof...(T) >= Max)
        return AppendFormatList(s, pattern, taken...);
    else
    {
        if (count == 0)
            return AppendFormatList(s, pattern, taken...);
        switch (args->kind)
        {
            case FormatArg::Int32:
                return CallWithArgs<Max>(s, pattern, args + 1, count - 1, taken..., args->i32);
            case FormatArg::Int64:
                return CallWithArgs<Max>(s, pattern, args + 1, count - 1, taken..., args->i64);
            case FormatArg::Real:
                return CallWithArgs<Max>(s, pattern, args + 1, count - 1, taken..., args->real);
            default:
                return CallWithArgs<Max>(s, pattern, args + 1, count - 1, taken..., args->ptr);
        }
    }
}

inline std::u16string Text(const GString& s)
{
    return std::u16string(s.GetW(0), s.GetLength());
}

// Readable form of a UTF-16 text for failure messages: ASCII as it is, the rest as \uXXXX.
inline std::string Show(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
    {
        if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else
        {
            static const char hex[] = "0123456789abcdef";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(c >> shift) & 15];
        }
    }
    return out;
}
