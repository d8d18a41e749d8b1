// Texts by id: every caption, message, registry name, path part and pattern comes through here.
#include "engine/CInstall.h"

#include <cstdlib>

int CInstall::GetString(uint32_t id, GString& text)
{
    text.Empty();
    const unsigned char* entry = LookUpString(id);
    if (!entry)
        return 0;
    if (!text.AssignCounted(entry))
        return 0;
    return text.ToWide() ? 1 : 0;
}

unsigned char* CInstall::GetHexBytes(uint32_t id, int* count)
{
    GString pattern;
    GetString(id, pattern);
    if (pattern.GetLength() == 0)
        return nullptr;
    if (!pattern.ToNarrow())
        return nullptr;
    return ParseHexPattern(pattern.GetA(0), pattern.GetLength(), count);
}

int CInstall::DecodeTextItem(const unsigned char* item, uint32_t length, GString& text)
{
    if (!item || length == 0)
        return 0;
    uint32_t plainLength = length;
    unsigned char* content = Guard.DecodeItem(item, &plainLength);
    if (!content)
        return 0;
    const unsigned char* start = StripUtf8Bom(content, &plainLength);
    text.EmptyA();
    int result = text.AppendA(reinterpret_cast<const char*>(start), static_cast<int>(plainLength));
    free(content);
    return result;
}
