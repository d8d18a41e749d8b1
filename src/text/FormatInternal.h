// What the parts of the formatter share: the parsed directive, the argument list, the field fill.
// Format.cpp runs the pattern and the integer conversions, FormatText.cpp the characters, texts and
// hex dumps, FormatReal.cpp the real numbers, sizes and addresses.
#pragma once

#include "text/GString.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace TextFormat
{
// Directive flags.
constexpr unsigned kLeft = 1;    // "-"
constexpr unsigned kPlus = 2;    // "+"
constexpr unsigned kSpace = 4;   // " "
constexpr unsigned kZero = 8;    // "0"
constexpr unsigned kAlt = 16;    // "#"
constexpr unsigned kEscape = 32; // "$"
constexpr unsigned kGroup = 64;  // "`"

enum Size
{
    kNoSize,
    kSizeH,  // "h"
    kSizeL,  // "l"
    kSize64, // "L" or "ll"
};

struct Directive
{
    unsigned Flags;
    int Width; // -1 when absent
    int Precision;
    int Size;
    char16_t Letter;
    int Upper; // the letter asks for upper-case digits and exponent letters
};

// The argument list in a struct, so that every helper takes the next argument from the same place.
struct Args
{
    va_list List;
    // Where the string's text was when the call began, and its size in bytes (for Relocate).
    uintptr_t OriginalText;
    int64_t OriginalBytes;
};

inline int32_t TakeInt32(Args& a)
{
    return va_arg(a.List, int32_t);
}
inline int64_t TakeInt64(Args& a)
{
    return va_arg(a.List, int64_t);
}
// An integer argument of the directive's size as a magnitude and a sign; only a signed conversion
// reads a negative value.
inline uint64_t TakeMagnitude(Args& a, bool size64, bool isSigned, bool* negative)
{
    const int64_t v = size64 ? TakeInt64(a) : TakeInt32(a);
    const uint64_t raw = size64 ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v);
    *negative = isSigned && v < 0;
    return *negative ? 0 - static_cast<uint64_t>(v) : raw;
}
inline double TakeDouble(Args& a)
{
    return va_arg(a.List, double);
}
inline const void* TakePointer(Args& a)
{
    return va_arg(a.List, const void*);
}

extern const char kLowerHex[17];
extern const char kUpperHex[17];
extern const char16_t kNullText[7]; // "{null}"
constexpr int kNullLength = 6;

inline const char* HexDigits(const Directive& d)
{
    return d.Upper ? kUpperHex : kLowerHex;
}

// UTF-16 texts from the caller need not be 2-byte aligned (string tables pack them).
inline char16_t LoadUnit(const void* text, int64_t i)
{
    char16_t u;
    memcpy(&u, static_cast<const unsigned char*>(text) + 2 * i, 2);
    return u;
}

inline char16_t* Repeat(char16_t* out, char16_t ch, int64_t n)
{
    for (int64_t i = 0; i < n; ++i)
        *out++ = ch;
    return out;
}

inline char16_t* Copy(char16_t* out, const char16_t* text, int n)
{
    if (n > 0)
        memcpy(out, text, static_cast<size_t>(n) * 2);
    return out + (n > 0 ? n : 0);
}

// "{", two hex digits of the low byte, "}".
inline char16_t* WriteEscape(char16_t* out, unsigned ch, const char* hex)
{
    out[0] = u'{';
    out[1] = static_cast<char16_t>(hex[(ch >> 4) & 15]);
    out[2] = static_cast<char16_t>(hex[ch & 15]);
    out[3] = u'}';
    return out + 4;
}

struct Fill
{
    int Lead;  // spaces before the field
    int Zeros; // zeros between the head (sign, radix prefix) and the body
    int Trail; // spaces after the field
};

inline Fill LayOut(const Directive& d, int64_t produced, bool zeroFill)
{
    Fill f = {0, 0, 0};
    const int fill = d.Width > produced ? static_cast<int>(d.Width - produced) : 0;
    if (d.Flags & kLeft)
        f.Trail = fill;
    else if ((d.Flags & kZero) && zeroFill)
        f.Zeros = fill;
    else
        f.Lead = fill;
    return f;
}

// Makes room for count more units after the text and returns where they go; null when memory runs
// out.  CloseOutput then takes them into the text.
inline char16_t* OpenOutput(GString& s, int64_t count)
{
    if (count > 0x7FFFFFFF - s.GetLength())
        return nullptr;
    return s.GetBufferW(static_cast<int>(count));
}
inline void CloseOutput(GString& s, int64_t count)
{
    s.SetLength(s.GetLength() + static_cast<int>(count));
}

// Writes a field whose text is known: lead fill, head, zero fill, body, trailing fill.
int WriteField(GString& s, const Directive& d, const char16_t* head, int headLen, const char16_t* body,
               int bodyLen, bool zeroFill);

// A source inside the string's own block would move when the block grows; such a source is copied
// out first.  Get() is null only when that copy could not be made.
class StableSource
{
  public:
    StableSource(const GString& s, const void* p, int64_t bytes);
    ~StableSource() { free(Copy); }
    StableSource(const StableSource&) = delete;
    StableSource& operator=(const StableSource&) = delete;
    const void* Get() const { return Source; }

  private:
    const void* Source;
    void* Copy = nullptr;
};

bool InBlock(const GString& s, const void* p);

// A caller may hand the string's own text as an argument (s.Format(u"%s\\%s", s.GetW(0), name)).
// That text is never changed during the call, only moved when the block grows: a pointer into it
// is redirected to where it lives now, and *limitBytes caps how much of it may be read.
inline const void* Relocate(const GString& s, const Args& a, const void* p, int64_t* limitBytes)
{
    const uintptr_t q = reinterpret_cast<uintptr_t>(p);
    if (!p || !a.OriginalText || q < a.OriginalText || q > a.OriginalText + a.OriginalBytes)
        return p;
    const int64_t offset = static_cast<int64_t>(q - a.OriginalText);
    *limitBytes = a.OriginalBytes - offset;
    return s.Block + 4 + 2 * static_cast<int64_t>(s.Start) + offset;
}

// The conversions, each taking its own arguments; 1 on success, 0 when the directive fails.
int FormatInteger(GString& s, const Directive& d, Args& a);
int FormatChar(GString& s, const Directive& d, Args& a);
int FormatString(GString& s, const Directive& d, Args& a);
int FormatGString(GString& s, const Directive& d, Args& a);
int FormatHexDump(GString& s, const Directive& d, Args& a);
int FormatReal(GString& s, const Directive& d, Args& a);
int FormatSize(GString& s, const Directive& d, Args& a);
int FormatAddress(GString& s, const Directive& d, Args& a);
} // namespace TextFormat
