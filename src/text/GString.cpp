#include "text/GString.h"

#include <cstdlib>
#include <cstring>
#include <new>

const char GString::EmptyTextA[1] = {0};
const char16_t GString::EmptyTextW[1] = {0};

int Utf16Length(const char16_t* text)
{
    // Unit by unit through memcpy: texts from string tables need not be 2-byte aligned.
    int n = 0;
    if (text)
        for (char16_t u;; ++n)
        {
            memcpy(&u, text + n, 2);
            if (!u)
                break;
        }
    return n;
}

namespace
{
int NarrowLength(const char* text)
{
    return text ? static_cast<int>(strlen(text)) : 0;
}

constexpr int64_t kMaxBlock = 0x7FFFFFC0; // the largest multiple of 64 a signed size can hold
} // namespace

GString::GString()
{
    // Has no block yet, so this fails harmlessly; it keeps construction on the one growth path.
    Reserve(0);
}

GString::GString(char16_t ch, int count)
{
    Wide = 1;
    if (count > 0)
        AppendCharW(ch, count);
}

GString::~GString()
{
    free(Block);
    delete Work;
    Block = nullptr;
    Length = 0;
    Start = 0;
    BlockSize = 0;
    Granule = 64;
    Wide = 0;
    LineWidth = 80;
    Work = nullptr;
}

int GString::Room() const
{
    if (!Block)
        return 0;
    int room = (BlockSize - 4) / UnitSize() - Start - 1;
    return room < 0 ? 0 : room;
}

int GString::FreeRoom() const
{
    int free = Room() - Length;
    return free < 0 ? 0 : free;
}

void GString::Empty()
{
    Length = 0;
    Start = 0;
    Terminate();
}

void GString::EmptyW()
{
    Empty();
    Wide = 1;
    Terminate();
}

void GString::EmptyA()
{
    Empty();
    Wide = 0;
    Terminate();
}

void GString::Terminate()
{
    if (!Block)
        return;
    if (Wide)
        memset(TextAt(Length), 0, 2);
    else
        *TextAt(Length) = 0;
}

const char* GString::GetA(int pos) const
{
    if (Length == 0 || Wide || pos < 0)
        return EmptyTextA;
    if (pos > Length)
        pos = Length;
    return reinterpret_cast<const char*>(TextAt(pos));
}

const char16_t* GString::GetW(int pos) const
{
    if (Length == 0 || !Wide || pos < 0)
        return EmptyTextW;
    if (pos > Length)
        pos = Length;
    return reinterpret_cast<const char16_t*>(TextAt(pos));
}

int GString::Reserve(int count)
{
    if (count < 0)
        return 1;
    if (count <= Length)
        return Compact();
    int64_t target = count;
    int64_t grown = static_cast<int64_t>(Length) + Length / 2;
    if (grown > target)
        target = grown;
    const int unit = UnitSize();
    int64_t needed = (target + 1) * unit + 4;
    if (needed > BlockSize)
    {
        int64_t size = (needed + Granule - 1) / Granule * Granule;
        if (size > kMaxBlock)
        {
            // A string that would grow past 2 GiB: settle for exactly what the caller asked.
            needed = (static_cast<int64_t>(count) + 1) * unit + 4;
            size = (needed + Granule - 1) / Granule * Granule;
            if (size > kMaxBlock)
                return 0;
        }
        unsigned char* block = static_cast<unsigned char*>(malloc(static_cast<size_t>(size)));
        if (!block)
            return 0;
        if (Block && Length > 0)
            memcpy(block + 4, TextAt(0), static_cast<size_t>(Length) * unit);
        free(Block);
        Block = block;
        BlockSize = static_cast<int>(size);
        Start = 0;
        Terminate();
        if (Length < (1 << 29))
        {
            uint32_t header = static_cast<uint32_t>(Length) * unit;
            if (!Wide)
                header |= 0x80000000u;
            for (int i = 0; i < 4; ++i)
                Block[i] = static_cast<unsigned char>(header >> (8 * i));
        }
        return 1;
    }
    if (Room() < target)
        Compact();
    return 1;
}

int GString::Grow(int count)
{
    if (count <= 0 || FreeRoom() >= count)
        return 1;
    if (count > 0x7FFFFFFF - Length)
        return 0;
    return Reserve(Length + count);
}

int GString::Compact()
{
    if (!Block)
        return 0;
    if (Start != 0)
    {
        const int unit = UnitSize();
        memmove(Block + 4, TextAt(0), static_cast<size_t>(Length + 1) * unit);
        Start = 0;
    }
    return 1;
}

int GString::SetLength(int len)
{
    if (!Block)
        return 0;
    const int room = Room();
    if (len < 0)
    {
        len = 0;
        bool found = false;
        for (int i = 0; i < room && !found; ++i)
        {
            const unsigned char* p = TextAt(i);
            if (Wide ? (p[0] == 0 && p[1] == 0) : (p[0] == 0))
            {
                len = i;
                found = true;
            }
        }
    }
    if (len > room)
        len = room;
    Length = len;
    if (Length == 0)
        Start = 0;
    Terminate();
    return 1;
}

int GString::DropLeft(int count)
{
    if (count <= 0)
        return 0;
    if (count > Length)
        count = Length;
    Start += count;
    Length -= count;
    if (Length == 0)
        Start = 0;
    return 1;
}

int GString::AppendA(const char* text, int len)
{
    if (Wide)
        return 0;
    if (!text || len == 0)
        return 1;
    if (len < 0)
        len = NarrowLength(text);
    if (len == 0)
        return 1;
    // A text from this string's own block would move (or be freed) when the block grows.
    const ptrdiff_t own = OwnOffset(text);
    if (!Grow(len))
        return 0;
    if (own >= 0)
        text = reinterpret_cast<const char*>(TextAt(0) + own);
    memmove(TextAt(Length), text, static_cast<size_t>(len));
    Length += len;
    Terminate();
    return 1;
}

int GString::AppendW(const char16_t* text, int len)
{
    if (!text || len == 0)
        return 1;
    if (len < 0)
        len = Utf16Length(text);
    if (len == 0)
        return 1;
    if (!Wide)
        return 0;
    const ptrdiff_t own = OwnOffset(text);
    if (!Grow(len))
        return 0;
    if (own >= 0)
        text = reinterpret_cast<const char16_t*>(TextAt(0) + own);
    // memmove, not unit loads: texts from string tables need not be 2-byte aligned.
    memmove(TextAt(Length), text, static_cast<size_t>(len) * 2);
    Length += len;
    Terminate();
    return 1;
}

int GString::Append(const char16_t* text, int len)
{
    if (Wide)
        return AppendW(text, len);
    if (!text || len == 0)
        return 1;
    if (len < 0)
        len = Utf16Length(text);
    return AppendUtf16AsUtf8(text, len);
}

int GString::AppendUtf8(const char* text, int len)
{
    if (!Wide)
        return AppendA(text, len);
    if (!text || len == 0)
        return 1;
    if (len < 0)
        len = NarrowLength(text);
    return AppendUtf8AsUtf16(reinterpret_cast<const unsigned char*>(text), len);
}

void GString::AppendString(const GString& other)
{
    if (&other == this)
    {
        // Appending a string to itself would read the block while it moves.
        GString* work = PrepareWork();
        if (!work)
            return;
        work->Assign(*this);
        AppendString(*work);
        return;
    }
    if (Wide)
    {
        if (other.Wide)
            AppendW(other.GetW(0), other.Length);
        else
            AppendUtf8(other.GetA(0), other.Length);
    }
    else
    {
        if (other.Wide)
            Append(other.GetW(0), other.Length);
        else
            AppendA(other.GetA(0), other.Length);
    }
}

int GString::AppendCharA(char ch, int count)
{
    if (ch == 0 || count <= 0)
        return 1;
    const unsigned char byte = static_cast<unsigned char>(ch);
    if (Wide && byte >= 0x80)
        return 0;
    if (!Grow(count))
        return 0;
    if (Wide)
    {
        for (int i = 0; i < count; ++i)
        {
            unsigned char* p = TextAt(Length + i);
            p[0] = byte;
            p[1] = 0;
        }
    }
    else
        memset(TextAt(Length), byte, static_cast<size_t>(count));
    Length += count;
    Terminate();
    return 1;
}

int GString::AppendCharW(char16_t ch, int count)
{
    if (ch == 0 || count <= 0)
        return 1;
    if (!Wide && ch >= 0x80)
        return 0;
    if (!Grow(count))
        return 0;
    if (Wide)
    {
        for (int i = 0; i < count; ++i)
        {
            unsigned char* p = TextAt(Length + i);
            p[0] = static_cast<unsigned char>(ch);
            p[1] = static_cast<unsigned char>(ch >> 8);
        }
    }
    else
        memset(TextAt(Length), static_cast<unsigned char>(ch), static_cast<size_t>(count));
    Length += count;
    Terminate();
    return 1;
}

int GString::AppendNewLine()
{
    if (Wide)
        return AppendW(u"\r\n", 2);
    return AppendA("\r\n", 2);
}

int GString::AssignA(const char* text, int len)
{
    EmptyA();
    return AppendA(text, len);
}

int GString::AssignW(const char16_t* text, int len)
{
    EmptyW();
    return AppendW(text, len);
}

void GString::Assign(const GString& other)
{
    if (&other == this)
        return;
    if (other.Wide)
        AssignW(other.GetW(0), other.Length);
    else
        AssignA(other.GetA(0), other.Length);
}

int GString::AssignWide(const GString* other)
{
    if (other == this)
        return ToWide() ? 1 : 0;
    EmptyW();
    if (!other)
        return 0;
    if (other->Wide)
        return AppendW(other->GetW(0), other->Length);
    return AppendUtf8(other->GetA(0), other->Length);
}

int GString::AssignNarrow(const GString* other)
{
    if (other == this)
        return ToNarrow() ? 1 : 0;
    EmptyA();
    if (!other)
        return 0;
    if (other->Wide)
        return Append(other->GetW(0), other->Length);
    return AppendA(other->GetA(0), other->Length);
}

int GString::AssignCounted(const void* block)
{
    if (!block)
    {
        Empty();
        return 0;
    }
    const unsigned char* p = static_cast<const unsigned char*>(block);
    uint32_t header = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    int len = static_cast<int>(header & 0x1FFFFFFFu);
    if (header & 0x80000000u)
        return AssignA(reinterpret_cast<const char*>(p + 4), len);
    return AssignW(reinterpret_cast<const char16_t*>(p + 4), len);
}

void GString::SwapStorage(GString& other)
{
    unsigned char* block = Block;
    Block = other.Block;
    other.Block = block;
    int t = Length;
    Length = other.Length;
    other.Length = t;
    t = Start;
    Start = other.Start;
    other.Start = t;
    t = BlockSize;
    BlockSize = other.BlockSize;
    other.BlockSize = t;
    t = Wide;
    Wide = other.Wide;
    other.Wide = t;
}

const char16_t* GString::ToWide()
{
    if (Wide)
        return GetW(0);
    GString* work = PrepareWork();
    if (!work)
        return nullptr;
    if (!work->AssignWide(this))
        return nullptr;
    EmptyW();
    if (!AppendW(work->GetW(0), work->Length))
        SwapStorage(*work); // no room for the copy: take the work string's block instead
    return GetW(0);
}

const char* GString::ToNarrow()
{
    if (!Wide)
        return GetA(0);
    if (Length == 0)
    {
        EmptyA();
        return GetA(0);
    }
    GString* work = PrepareWork();
    if (!work)
        return nullptr;
    if (!work->AssignNarrow(this))
        return nullptr;
    EmptyA();
    if (!AppendA(work->GetA(0), work->Length))
        SwapStorage(*work);
    return GetA(0);
}

char16_t* GString::GetBufferW(int count)
{
    if (!ToWide())
        return nullptr;
    if (count < 0)
        count = 0;
    if (!Grow(count))
        return nullptr;
    if (!Block && !Reserve(Length + 1))
        return nullptr;
    return reinterpret_cast<char16_t*>(TextAt(Length));
}

char* GString::GetBufferA(int count)
{
    if (!ToNarrow())
        return nullptr;
    if (count < 0)
        count = 0;
    if (!Grow(count))
        return nullptr;
    if (!Block && !Reserve(Length + 1))
        return nullptr;
    return reinterpret_cast<char*>(TextAt(Length));
}

ptrdiff_t GString::OwnOffset(const void* text) const
{
    if (!Block || Length == 0)
        return -1;
    const unsigned char* p = static_cast<const unsigned char*>(text);
    const unsigned char* first = TextAt(0);
    if (p < first || p >= first + static_cast<ptrdiff_t>(Length) * UnitSize())
        return -1;
    return p - first;
}

GString* GString::PrepareWork()
{
    if (!Work)
    {
        Work = new (std::nothrow) GString;
        if (!Work)
            return nullptr;
    }
    Work->Length = 0;
    Work->Start = 0;
    Work->Terminate();
    return Work;
}

int GString::AppendUtf16AsUtf8(const char16_t* text, int len)
{
    int64_t bytes = 0;
    for (int i = 0; i < len; ++i)
    {
        char16_t u;
        memcpy(&u, text + i, 2);
        bytes += u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
    }
    if (bytes > 0x7FFFFFFF - Length)
        return 0;
    if (!Grow(static_cast<int>(bytes)))
        return 0;
    unsigned char* out = TextAt(Length);
    for (int i = 0; i < len; ++i)
    {
        char16_t u;
        memcpy(&u, text + i, 2);
        if (u < 0x80)
            *out++ = static_cast<unsigned char>(u);
        else if (u < 0x800)
        {
            *out++ = static_cast<unsigned char>(0xC0 | (u >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
        else
        {
            *out++ = static_cast<unsigned char>(0xE0 | (u >> 12));
            *out++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
    }
    Length += static_cast<int>(bytes);
    Terminate();
    return 1;
}

int GString::AppendUtf8AsUtf16(const unsigned char* text, int len)
{
    // Count first so that one Grow makes all the room the decoding can need.
    int count = 0;
    for (int i = 0; i < len;)
    {
        const unsigned char b = text[i];
        ++count;
        if (b < 0x80)
            i += 1;
        else if ((b & 0xE0) == 0xC0)
            i += 2;
        else if ((b & 0xF0) == 0xE0)
            i += 3;
        else if ((b & 0xF8) == 0xF0)
            i += 4;
        else
            break;
    }
    if (!Grow(count))
        return 0;
    int written = 0;
    for (int i = 0; i < len;)
    {
        const unsigned char b0 = text[i];
        unsigned unit;
        if (b0 < 0x80)
        {
            unit = b0;
            i += 1;
        }
        else if ((b0 & 0xE0) == 0xC0)
        {
            if (i + 1 >= len || (text[i + 1] & 0xC0) != 0x80)
                break;
            unit = ((b0 & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu);
            i += 2;
        }
        else if ((b0 & 0xF0) == 0xE0)
        {
            if (i + 2 >= len || (text[i + 1] & 0xC0) != 0x80 || (text[i + 2] & 0xC0) != 0x80)
                break;
            unit = ((b0 & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu);
            i += 3;
        }
        else
            break;
        unsigned char* p = TextAt(Length + written);
        p[0] = static_cast<unsigned char>(unit);
        p[1] = static_cast<unsigned char>(unit >> 8);
        ++written;
        if (i >= len)
        {
            Length += written;
            Terminate();
            return 1;
        }
    }
    if (len == 0)
        return 1;
    // The decoding may have written over the terminator: put it back, text unchanged.
    Terminate();
    return 0;
}
