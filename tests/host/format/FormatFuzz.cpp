// Formats random patterns with random arguments of the types their directives take, and checks
// what must hold for any input: no crash or sanitizer report, a result of 0 or 1, a terminated
// text, and the text of the whole call made of the texts of its directives one by one, up to the
// first one that fails (which keeps what came before it).
#include "ArgCall.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kMaxArgs = 5;
constexpr int kMaxNumber = 4096; // widths and precisions written in the pattern
constexpr int kMaxStar = 600;    // widths and precisions taken from the list

// Characters that make up directives, so that random bytes form them often.
const char16_t kAlphabet[] = u"%%%%%%-+ 0#$`*.*.0123456789hhlLLdiuxXoypPcCsSzZbBnNTtYfeEgGaAFIUwWqa\\\u00E9";

enum class Kind
{
    None,
    Int32,
    Int64,
    Real,
    Pointer, // any value, never read
    WideText,
    Utf8Text,
    Counted,
    Object, // a GString
    Bytes,
    Count,
    Address4,
    Address16,
};

struct Piece
{
    std::u16string pattern; // literal text and at most one directive
    std::vector<Kind> kinds;
    int precision = 0; // of the directive, after any "*"
    int starCount = 0; // arguments taken by "*", which come first
    int64_t starValues[2] = {0, 0};
};

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Mirrors the directive syntax to learn what each directive takes.  Returns false when the piece
// would need numbers beyond the harness's limits (the pattern is cut there).
bool ParsePiece(const std::u16string& text, size_t& pos, Piece& piece, FuzzedDataProvider& data)
{
    const size_t begin = pos;
    while (pos < text.size() && text[pos] != u'%')
        ++pos;
    if (pos >= text.size())
    {
        piece.pattern = text.substr(begin);
        return true;
    }
    ++pos;
    if (pos < text.size() && text[pos] == u'%')
    {
        piece.pattern = text.substr(begin, ++pos - begin);
        return true;
    }
    while (pos < text.size() && std::u16string(u"-+ 0#$`").find(text[pos]) != std::u16string::npos)
        ++pos;
    auto number = [&](int* value)
    {
        int64_t v = 0;
        for (int i = 0; i < 10 && pos < text.size() && IsDigit(text[pos]); ++i, ++pos)
            v = v * 10 + (text[pos] - u'0');
        *value = static_cast<int>(v > kMaxNumber ? kMaxNumber + 1 : v);
        return v <= kMaxNumber;
    };
    auto star = [&]()
    {
        piece.kinds.push_back(Kind::Int32);
        const int v = data.ConsumeIntegralInRange<int>(-kMaxStar, kMaxStar);
        piece.starValues[piece.starCount++] = v;
        return v;
    };
    int ignored;
    if (pos < text.size() && text[pos] == u'*')
    {
        ++pos;
        star();
    }
    else if (!number(&ignored))
        return false;
    if (pos < text.size() && text[pos] == u'.')
    {
        ++pos;
        if (pos < text.size() && text[pos] == u'*')
        {
            ++pos;
            piece.precision = star();
        }
        else if (!number(&piece.precision))
            return false;
    }
    enum
    {
        None,
        H,
        L64
    } size = None;
    if (pos < text.size() && text[pos] == u'L')
    {
        size = L64;
        ++pos;
    }
    else if (pos < text.size() && text[pos] == u'l')
    {
        ++pos;
        if (pos < text.size() && text[pos] == u'l')
        {
            size = L64;
            ++pos;
        }
    }
    else if (pos < text.size() && text[pos] == u'h')
    {
        size = H;
        ++pos;
    }
    const char16_t letter = pos < text.size() ? text[pos] : 0;
    Kind kind = Kind::None;
    bool known = true;
    switch (letter)
    {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
        case u'y':
        case u'I':
        case u'U':
            kind = size == L64 ? Kind::Int64 : Kind::Int32;
            break;
        case u'p':
        case u'P':
            kind = Kind::Pointer;
            break;
        case u'c':
        case u'C':
        case u'T':
        case u't':
        case u'Y':
            kind = Kind::Int32;
            break;
        case u's':
        case u'S':
            kind = size == H ? Kind::Utf8Text : Kind::WideText;
            break;
        case u'z':
        case u'Z':
            kind = size == H ? Kind::Counted : Kind::Object;
            break;
        case u'b':
        case u'B':
            kind = Kind::Bytes;
            break;
        case u'n':
            kind = Kind::Count;
            break;
        case u'N':
            break;
        case u'f':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            kind = Kind::Real;
            break;
        case u'F':
            kind = size == H ? Kind::Int32 : size == L64 ? Kind::Int64 : Kind::Real;
            break;
        case u'w':
        case u'W':
            kind = size == H ? Kind::Address16 : Kind::Address4;
            break;
        default:
            known = false; // the letter starts the next piece's text
    }
    if (known)
        ++pos;
    if (kind != Kind::None)
        piece.kinds.push_back(kind);
    piece.pattern = text.substr(begin, pos - begin);
    return true;
}

// Owns everything the arguments point at, for as long as the calls run.
struct Arena
{
    std::vector<std::unique_ptr<unsigned char[]>> buffers;
    std::vector<std::unique_ptr<GString>> strings;

    unsigned char* Buffer(size_t size)
    {
        buffers.emplace_back(new unsigned char[size]());
        return buffers.back().get();
    }
};

// A value for each kind; texts carry enough zeros after them for an exact count (negative precision).
FormatArg MakeArg(Kind kind, const Piece& piece, FuzzedDataProvider& data, Arena& arena, int32_t* countSlot)
{
    const size_t pad = piece.precision < 0 ? static_cast<size_t>(-static_cast<int64_t>(piece.precision)) : 0;
    const bool null = data.ConsumeIntegralInRange<int>(0, 15) == 0;
    switch (kind)
    {
        case Kind::Int32:
            return I(data.ConsumeIntegral<int32_t>());
        case Kind::Int64:
            return L(data.ConsumeIntegral<int64_t>());
        case Kind::Real:
        {
            const uint64_t bits = data.ConsumeIntegral<uint64_t>();
            double x;
            memcpy(&x, &bits, sizeof x);
            return D(x);
        }
        case Kind::Pointer:
            return P(reinterpret_cast<const void*>(static_cast<uintptr_t>(data.ConsumeIntegral<uint32_t>())));
        case Kind::WideText:
        case Kind::Utf8Text:
        case Kind::Counted:
        {
            if (null)
                return P(nullptr);
            const bool wide = kind == Kind::WideText || (kind == Kind::Counted && data.ConsumeBool());
            const std::string bytes = data.ConsumeRandomLengthString(48);
            const size_t unit = wide ? 2 : 1;
            const size_t count = bytes.size() / unit;
            const size_t header = kind == Kind::Counted ? 4 : 0;
            unsigned char* p = arena.Buffer(header + (count + pad + 1) * unit);
            memcpy(p + header, bytes.data(), count * unit);
            if (kind == Kind::Counted)
            {
                uint32_t h = static_cast<uint32_t>(count + pad) | (wide ? 0 : 0x80000000u);
                memcpy(p, &h, 4);
            }
            return P(p);
        }
        case Kind::Object:
        {
            if (null)
                return P(nullptr);
            arena.strings.emplace_back(new GString);
            GString& g = *arena.strings.back();
            const std::string bytes = data.ConsumeRandomLengthString(48);
            if (data.ConsumeBool())
            {
                std::u16string units(bytes.size() / 2, 0);
                memcpy(units.data(), bytes.data(), units.size() * 2);
                g.AssignW(units.data(), static_cast<int>(units.size()));
            }
            else
                g.AssignA(bytes.data(), static_cast<int>(bytes.size()));
            return P(&g);
        }
        case Kind::Bytes:
        {
            if (null)
                return P(nullptr);
            const size_t n = piece.precision > 0 ? static_cast<size_t>(piece.precision) : 1;
            unsigned char* p = arena.Buffer(n);
            for (size_t i = 0; i < n; ++i)
                p[i] = data.ConsumeIntegral<unsigned char>();
            return P(p);
        }
        case Kind::Count:
            return P(null ? nullptr : countSlot);
        case Kind::Address4:
        case Kind::Address16:
        {
            if (null)
                return P(nullptr);
            const size_t n = kind == Kind::Address4 ? 4 : 16;
            unsigned char* p = arena.Buffer(n);
            for (size_t i = 0; i < n; ++i)
                p[i] = data.ConsumeIntegral<unsigned char>();
            return P(p);
        }
        default:
            return I(0);
    }
}

bool Terminated(const GString& s)
{
    if (!s.Block)
        return s.GetLength() == 0;
    char16_t unit;
    memcpy(&unit, s.Block + 4 + 2 * (s.Start + s.GetLength()), 2);
    return unit == 0;
}

void Check(bool condition, const char* what)
{
    if (!condition)
    {
        fprintf(stderr, "format_fuzz: %s\n", what);
        abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    std::u16string pattern;
    const size_t length = data.ConsumeIntegralInRange<size_t>(0, 48);
    for (size_t i = 0; i < length && data.remaining_bytes() > 0; ++i)
    {
        const uint8_t b = data.ConsumeIntegral<uint8_t>();
        if (b < 0xF0)
            pattern += kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)];
        else
            pattern += static_cast<char16_t>(data.ConsumeIntegralInRange<uint16_t>(1, 0xFFFF));
    }

    // Split into pieces, each with its own arguments, within the harness's limits.
    std::vector<Piece> pieces;
    std::u16string used;
    int argCount = 0;
    for (size_t pos = 0; pos < pattern.size();)
    {
        Piece piece;
        const size_t before = pos;
        if (!ParsePiece(pattern, pos, piece, data) ||
            argCount + static_cast<int>(piece.kinds.size()) > kMaxArgs)
            break;
        if (pos == before)
            break;
        argCount += static_cast<int>(piece.kinds.size());
        used += piece.pattern;
        pieces.push_back(piece);
    }

    Arena arena;
    std::vector<FormatArg> all;
    std::vector<std::vector<FormatArg>> each(pieces.size());
    std::vector<int32_t> wholeCounts(pieces.size(), -1), pieceCounts(pieces.size(), -1);
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        for (size_t k = 0; k < pieces[i].kinds.size(); ++k)
        {
            FormatArg arg;
            if (static_cast<int>(k) < pieces[i].starCount)
                arg = I(static_cast<int32_t>(pieces[i].starValues[k]));
            else
                arg = MakeArg(pieces[i].kinds[k], pieces[i], data, arena, &wholeCounts[i]);
            all.push_back(arg);
            if (pieces[i].kinds[k] == Kind::Count && arg.ptr)
                arg.ptr = &pieceCounts[i];
            each[i].push_back(arg);
        }
    }

    const std::string prefixBytes = data.ConsumeRandomLengthString(40);
    const std::u16string prefix(prefixBytes.begin(), prefixBytes.end());
    GString whole;
    whole.AssignW(prefix.c_str(), static_cast<int>(prefix.size()));
    const int result = CallWithArgs<kMaxArgs>(whole, used.c_str(), all.data(), static_cast<int>(all.size()));
    Check(result == 0 || result == 1, "result is neither 0 nor 1");
    Check(Terminated(whole), "text not terminated");

    // The same directives one at a time.
    std::u16string expected = prefix;
    int expectedResult = 1;
    std::vector<size_t> countsAt(pieces.size(), 0);
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        GString one;
        one.EmptyW();
        countsAt[i] = expected.size() - prefix.size();
        const int r =
            CallWithArgs<3>(one, pieces[i].pattern.c_str(), each[i].data(), static_cast<int>(each[i].size()));
        Check(r == 0 || r == 1, "piece result is neither 0 nor 1");
        Check(Terminated(one), "piece text not terminated");
        expected += Text(one);
        if (!r)
        {
            expectedResult = 0;
            break;
        }
    }
    Check(result == expectedResult, "whole result differs from its pieces");
    Check(Text(whole) == expected, "whole text differs from its pieces");
    for (size_t i = 0; i < pieces.size(); ++i)
        if (wholeCounts[i] != -1)
            Check(static_cast<size_t>(wholeCounts[i]) ==
                      countsAt[i] + (pieces[i].pattern.find(u'%') == std::u16string::npos
                                         ? 0
                                         : pieces[i].pattern.find(u'%')),
                  "%n stored a wrong count");
    return 0;
}
