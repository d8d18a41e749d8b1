#include "payload/StringTable.h"

#include <cstdlib>

StringTable::~StringTable()
{
    Release();
}

int StringTable::Attach(unsigned char* buffer, uint32_t count)
{
    if (buffer == nullptr || count == 0)
    {
        return 0;
    }
    Release();
    Count = count;
    Buffer = buffer;
    IndexStart = buffer;
    TextArea = buffer + 8 * static_cast<uintptr_t>(count);
    return 1;
}

void StringTable::Release()
{
    std::free(Buffer);
    Count = 0;
    Buffer = nullptr;
    IndexStart = nullptr;
    TextArea = nullptr;
}

uint32_t ReadLe32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

const unsigned char* StringTable::Find(uint32_t id) const
{
    if (IndexStart == nullptr || TextArea == nullptr)
    {
        return nullptr;
    }
    // Signed bounds, so an empty range ends the loop; ids themselves compare unsigned.
    int32_t lo = 0;
    int32_t hi = static_cast<int32_t>(Count) - 1;
    while (hi >= lo)
    {
        const int32_t mid = lo + (hi - lo) / 2;
        const unsigned char* entry = IndexStart + 8 * static_cast<uintptr_t>(mid);
        const uint32_t entryId = ReadLe32(entry);
        if (id == entryId)
        {
            return TextArea + ReadLe32(entry + 4);
        }
        if (id > entryId)
        {
            lo = mid + 1;
        }
        else
        {
            hi = mid - 1;
        }
    }
    return nullptr;
}

int CheckStringTable(const unsigned char* buffer, uint32_t length, uint32_t count)
{
    if (buffer == nullptr || count == 0 || count > length / 8)
    {
        return 0;
    }
    const uint64_t textAreaStart = 8 * static_cast<uint64_t>(count);
    const uint64_t textAreaLength = length - textAreaStart;
    for (uint32_t i = 0; i < count; ++i)
    {
        const unsigned char* entry = buffer + 8 * static_cast<uint64_t>(i);
        if (i > 0 && ReadLe32(entry) <= ReadLe32(entry - 8))
        {
            return 0;
        }
        const uint64_t offset = ReadLe32(entry + 4);
        if (offset + 4 > textAreaLength)
        {
            return 0;
        }
        const uint32_t header = ReadLe32(buffer + textAreaStart + offset);
        const uint64_t unit = (header & kCountedUtf8Flag) ? 1 : 2;
        if (offset + 4 + unit * (header & kCountedLengthMask) > textAreaLength)
        {
            return 0;
        }
    }
    return 1;
}

static int HexDigitValue(char c)
{
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i)
    {
        if (kDigits[i] == c)
        {
            return i;
        }
    }
    return -1;
}

unsigned char* ParseHexPattern(const char* text, int length, int* count)
{
    if (text == nullptr || length <= 0)
    {
        return nullptr;
    }
    const int byteCount = length / 2;
    // The size matches the decoder's output rule: even, with room to spare behind the bytes.
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(byteCount & ~1) + 2));
    if (bytes == nullptr)
    {
        return nullptr;
    }
    for (int i = 0; i < byteCount; ++i)
    {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
        {
            std::free(bytes);
            return nullptr;
        }
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    if (count != nullptr)
    {
        *count = byteCount;
    }
    return bytes;
}

const unsigned char* StripUtf8Bom(const unsigned char* content, uint32_t* length)
{
    if (content != nullptr && length != nullptr && *length > 2 && content[0] == 0xEF && content[1] == 0xBB &&
        content[2] == 0xBF)
    {
        *length -= 3;
        return content + 3;
    }
    return content;
}
