#include "text/CaseMap.h"
#include "text/GString.h"
#include "text/GStringSearch.h"

#include <cstring>

#ifdef _WIN32
// Declared here rather than through <windows.h>: this file stays portable.
extern "C" __declspec(dllimport) void __stdcall OutputDebugStringW(const wchar_t* text);
#endif

namespace
{
#ifdef _WIN32
void SendToDebugger(const char16_t* text)
{
    OutputDebugStringW(reinterpret_cast<const wchar_t*>(text));
}
#else
void SendToDebugger(const char16_t*) {}
#endif

// Caller texts may come straight from a string table, where UTF-16 need not be 2-byte aligned.
inline unsigned UnitAt(const void* text, int i)
{
    char16_t u;
    memcpy(&u, static_cast<const unsigned char*>(text) + 2 * i, 2);
    return u;
}

int NarrowLength(const char* text)
{
    return text ? static_cast<int>(strlen(text)) : 0;
}

// The search proper, over characters of size unit (1 or 2): equality only, so bytes compare well.
int Search(const unsigned char* hay, int hayLen, const void* needle, int needleLen, int start, int unit)
{
    if (needleLen <= 0 || start < 0 || start >= hayLen || needleLen > hayLen - start)
        return -1;
    const size_t bytes = static_cast<size_t>(needleLen) * unit;
    for (int pos = start; pos <= hayLen - needleLen; ++pos)
        if (memcmp(hay + static_cast<size_t>(pos) * unit, needle, bytes) == 0)
            return pos;
    return -1;
}

// Compares texts of the same width: the shorter sorts first, then unit by unit, as unsigned values.
int CompareSameWidth(const unsigned char* a, int aLen, const void* b, int bLen, int unit)
{
    if (aLen != bLen)
        return aLen < bLen ? -1 : 1;
    for (int i = 0; i < aLen; ++i)
    {
        const unsigned x = unit == 2 ? UnitAt(a, i) : a[i];
        const unsigned y = unit == 2 ? UnitAt(b, i) : static_cast<const unsigned char*>(b)[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

// The number of UTF-8 characters in bytes: every byte that is not a continuation byte starts one.
int Utf8CharCount(const unsigned char* p, int len)
{
    int n = 0;
    for (int i = 0; i < len; ++i)
        n += (p[i] & 0xC0) != 0x80;
    return n;
}

// Byte offset after count characters from offset pos (continuation bytes belong to their lead).
int Utf8Advance(const unsigned char* p, int len, int pos, int count)
{
    while (pos < len && count > 0)
    {
        ++pos;
        while (pos < len && (p[pos] & 0xC0) == 0x80)
            ++pos;
        --count;
    }
    return pos;
}
} // namespace

DebugOutputSinkFn DebugOutputSink = SendToDebugger;

int FindBytes(const void* data, const void* pattern, int dataLen, int patLen, int start)
{
    if (!data || !pattern || dataLen <= 0 || patLen <= 0)
        return -1;
    return Search(static_cast<const unsigned char*>(data), dataLen, pattern, patLen, start, 1);
}

const void* GString::InOwnWidth(const char16_t* text, int len, int* outLen)
{
    if (Wide)
    {
        *outLen = len;
        return text;
    }
    GString* work = PrepareWork();
    if (!work)
        return nullptr;
    work->EmptyA();
    if (!work->Append(text, len))
        return nullptr;
    *outLen = work->Length;
    return work->GetA(0);
}

const void* GString::InOwnWidth(const char* text, int len, int* outLen)
{
    if (!Wide)
    {
        *outLen = len;
        return text;
    }
    GString* work = PrepareWork();
    if (!work)
        return nullptr;
    work->EmptyW();
    if (!work->AppendUtf8(text, len))
        return nullptr;
    *outLen = work->Length;
    return work->GetW(0);
}

int GString::FindW(const char16_t* text, int start, int len)
{
    if (!text || Length == 0 || start < 0 || start >= Length)
        return -1;
    if (len < 0)
        len = Utf16Length(text);
    const void* arg = InOwnWidth(text, len, &len);
    return arg ? Search(TextAt(0), Length, arg, len, start, UnitSize()) : -1;
}

int GString::FindA(const char* text, int start, int len)
{
    if (!text || Length == 0 || start < 0 || start >= Length)
        return -1;
    if (len < 0)
        len = NarrowLength(text);
    const void* arg = InOwnWidth(text, len, &len);
    return arg ? Search(TextAt(0), Length, arg, len, start, UnitSize()) : -1;
}

int GString::Find(const GString& other, int start)
{
    if (other.Wide)
        return FindW(other.GetW(0), start, other.Length);
    return FindA(other.GetA(0), start, other.Length);
}

int GString::ReverseFind(char16_t ch, int start)
{
    if (Length == 0 || start < 0 || start >= Length)
        return -1;
    if (Wide)
    {
        for (int pos = Length - 1; pos >= start; --pos)
            if (UnitAt(TextAt(0), pos) == ch)
                return pos;
        return -1;
    }
    unsigned char seq[3];
    int seqLen;
    if (ch < 0x80)
    {
        seq[0] = static_cast<unsigned char>(ch);
        seqLen = 1;
    }
    else if (ch < 0x800)
    {
        seq[0] = static_cast<unsigned char>(0xC0 | (ch >> 6));
        seq[1] = static_cast<unsigned char>(0x80 | (ch & 0x3F));
        seqLen = 2;
    }
    else
    {
        seq[0] = static_cast<unsigned char>(0xE0 | (ch >> 12));
        seq[1] = static_cast<unsigned char>(0x80 | ((ch >> 6) & 0x3F));
        seq[2] = static_cast<unsigned char>(0x80 | (ch & 0x3F));
        seqLen = 3;
    }
    const unsigned char* text = TextAt(0);
    for (int pos = Length - seqLen; pos >= start; --pos)
        if (memcmp(text + pos, seq, static_cast<size_t>(seqLen)) == 0)
            return pos;
    return -1;
}

int GString::CompareW(const char16_t* text, int len)
{
    if (len < 0)
        len = Utf16Length(text);
    if (!text)
        len = 0;
    if (Length == 0)
        return len == 0 ? 0 : -1;
    if (len == 0)
        return 1;
    const void* arg = InOwnWidth(text, len, &len);
    return arg ? CompareSameWidth(TextAt(0), Length, arg, len, UnitSize()) : 0;
}

int GString::CompareA(const char* text, int len)
{
    if (len < 0)
        len = NarrowLength(text);
    if (!text)
        len = 0;
    if (Length == 0)
        return len == 0 ? 0 : -1;
    if (len == 0)
        return 1;
    const void* arg = InOwnWidth(text, len, &len);
    return arg ? CompareSameWidth(TextAt(0), Length, arg, len, UnitSize()) : 0;
}

int GString::Equals(const GString& other)
{
    // Not through CompareA alone: a failed conversion reads there as "equal", which must not make
    // invalid UTF-8 equal to every wide text.
    if (Length == 0 || other.Length == 0)
        return Length == other.Length;
    int len = 0;
    const void* arg = other.Wide ? InOwnWidth(other.GetW(0), other.Length, &len)
                                 : InOwnWidth(other.GetA(0), other.Length, &len);
    return arg && CompareSameWidth(TextAt(0), Length, arg, len, UnitSize()) == 0;
}

int GString::EnsureSuffixW(const char16_t* text, int len)
{
    if (!text || UnitAt(text, 0) == 0)
        return 0;
    if (len < 0)
        len = Utf16Length(text);
    if (!Wide)
    {
        const void* arg = InOwnWidth(text, len, &len);
        return arg ? EnsureSuffixA(static_cast<const char*>(arg), len) : 0;
    }
    if (Length >= len && memcmp(TextAt(Length - len), text, static_cast<size_t>(len) * 2) == 0)
        return 1;
    return AppendW(text, len);
}

int GString::EnsureSuffixA(const char* text, int len)
{
    if (!text || text[0] == 0)
        return 0;
    if (len < 0)
        len = NarrowLength(text);
    if (Wide)
    {
        const void* arg = InOwnWidth(text, len, &len);
        return arg ? EnsureSuffixW(static_cast<const char16_t*>(arg), len) : 0;
    }
    if (Length >= len && memcmp(TextAt(Length - len), text, static_cast<size_t>(len)) == 0)
        return 1;
    return AppendA(text, len);
}

int GString::AppendPathW(const char16_t* component, int len)
{
    if (len < 0)
        len = Utf16Length(component);
    if (!component)
        len = 0;
    if (!Wide)
    {
        const void* arg = InOwnWidth(component, len, &len);
        return arg ? AppendPathA(static_cast<const char*>(arg), len) : 0;
    }
    if (len > 0)
    {
        const unsigned first = UnitAt(component, 0);
        if (first == u'\\' || first == u'/')
        {
            ++component;
            --len;
        }
    }
    EnsureSuffixW(u"\\", 1);
    if (len > 0)
        AppendW(component, len);
    return 1;
}

int GString::AppendPathA(const char* component, int len)
{
    if (len < 0)
        len = NarrowLength(component);
    if (!component)
        len = 0;
    if (Wide)
    {
        const void* arg = InOwnWidth(component, len, &len);
        return arg ? AppendPathW(static_cast<const char16_t*>(arg), len) : 0;
    }
    if (len > 0 && (component[0] == '\\' || component[0] == '/'))
    {
        ++component;
        --len;
    }
    EnsureSuffixA("\\", 1);
    if (len > 0)
        AppendA(component, len);
    return 1;
}

GString& GString::AppendPath(const GString& other)
{
    if (other.Wide)
        AppendPathW(other.GetW(0), other.Length);
    else
        AppendPathA(other.GetA(0), other.Length);
    return *this;
}

int GString::MakeUpper()
{
    if (Wide)
    {
        for (int i = 0; i < Length; ++i)
        {
            unsigned char* p = TextAt(i);
            const char16_t upper = ToUpperChar(static_cast<char16_t>(UnitAt(p, 0)));
            p[0] = static_cast<unsigned char>(upper);
            p[1] = static_cast<unsigned char>(upper >> 8);
        }
        return 1;
    }
    GString* work = PrepareWork();
    if (!work || !work->AssignWide(this))
        return 0;
    if (!work->MakeUpper())
        return 0;
    // Upper case can change the UTF-8 length (U+0131 takes two bytes, its capital one): encode into a
    // fresh string and take its block, so that running out of memory leaves this text as it was.
    GString upper;
    if (!upper.AssignNarrow(work))
        return 0;
    SwapStorage(upper);
    return 1;
}

void GString::DebugOutput(int maxChars)
{
    if (Length == 0 || maxChars <= 0)
        return;
    const int lineWidth = LineWidth > 0 ? LineWidth : 80;
    const unsigned char* text = TextAt(0);
    int n = Wide ? Length : Utf8CharCount(text, Length);
    if (n > maxChars)
        n = maxChars;
    const int fullLines = n / lineWidth;
    const int rest = n % lineWidth;
    GString* work = PrepareWork();
    if (!work)
        return;
    int pos = 0; // units or bytes into the text
    for (int line = 0; line <= fullLines; ++line)
    {
        const int chars = line < fullLines ? lineWidth : rest;
        if (chars == 0)
            break;
        work->EmptyW();
        int ok;
        if (Wide)
        {
            ok = work->AppendW(reinterpret_cast<const char16_t*>(text + 2 * pos), chars);
            pos += chars;
        }
        else
        {
            const int end = Utf8Advance(text, Length, pos, chars);
            ok = work->AppendUtf8(reinterpret_cast<const char*>(text + pos), end - pos);
            pos = end;
        }
        const bool continued = line < fullLines && (line + 1 < fullLines || rest != 0);
        if (!ok || !work->AppendW(continued ? u" \\\n" : u"\n"))
            return;
        DebugOutputSink(work->GetW(0));
    }
}
