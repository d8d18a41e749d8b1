#include "platform/Registry.h"

#include <cstdlib>

#include "platform/Platform.h"

namespace
{
bool HasText(const char16_t* text)
{
    return text && text[0];
}

// Larger than any value the program writes or reads; keeps the sizes well inside an int.
constexpr DWORD kLargestValue = 0x10000000;
} // namespace

CKey OpenKey(HKEY root, const char16_t* subKey, REGSAM access)
{
    CKey key;
    if (!root || !HasText(subKey))
        return key;
    if (RegOpenKeyExW(root, WinText(subKey), 0, access, key.Receive()) != ERROR_SUCCESS)
        key.Detach(); // a failed open leaves nothing to close, whatever it wrote there
    return key;
}

CKey CreateKey(HKEY root, const char16_t* subKey, REGSAM access)
{
    CKey key;
    if (!root || !HasText(subKey))
        return key;
    if (RegCreateKeyExW(root, WinText(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
        key.Detach();
    return key;
}

int SetBinaryValue(HKEY key, const char16_t* name, const void* bytes, uint32_t size)
{
    return RegSetValueExW(key, WinText(name), 0, REG_BINARY, static_cast<const BYTE*>(bytes), size) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

unsigned char* QueryBinaryValue(HKEY key, const char16_t* name, uint32_t* size)
{
    if (size)
        *size = 0;
    DWORD type = 0;
    DWORD first = 0;
    LONG result = RegQueryValueExW(key, WinText(name), nullptr, &type, nullptr, &first);
    if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || first == 0 || first > kLargestValue ||
        type != REG_BINARY)
        return nullptr;
    unsigned char* buffer = static_cast<unsigned char*>(malloc(first));
    if (!buffer)
        return nullptr;
    DWORD second = first;
    result = RegQueryValueExW(key, WinText(name), nullptr, &type, buffer, &second);
    // The value may have changed between the two reads; only an unchanged one is taken.
    if (result != ERROR_SUCCESS || second != first || type != REG_BINARY)
    {
        free(buffer);
        return nullptr;
    }
    if (size)
        *size = first;
    return buffer;
}

int SetDwordValue(HKEY key, const char16_t* name, uint32_t value)
{
    DWORD data = value;
    return RegSetValueExW(key, WinText(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

int QueryDwordValue(HKEY key, const char16_t* name, uint32_t* value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, WinText(name), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        return 0;
    if (value)
        *value = data;
    return 1;
}

int SetStringValue(HKEY key, const char16_t* name, GString& text)
{
    if (!key || !HasText(name))
        return 0;
    if (!text.ToWide())
        return 0;
    const DWORD bytes = 2 * (static_cast<DWORD>(text.GetLength()) + 1);
    return RegSetValueExW(key, WinText(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetW(0)),
                          bytes) == ERROR_SUCCESS
               ? 1
               : 0;
}

int QueryStringValue(HKEY key, const char16_t* name, GString& text)
{
    text.EmptyW();
    if (!key || !HasText(name))
        return 0;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, WinText(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > kLargestValue)
        return 0;
    if (size == 0)
        return 1;
    // size / 2 units and the terminator's unit hold even an odd number of bytes.
    char16_t* buffer = text.GetBufferW(static_cast<int>(size / 2));
    if (!buffer)
        return 0;
    DWORD read = size;
    if (RegQueryValueExW(key, WinText(name), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &read) !=
            ERROR_SUCCESS ||
        type != REG_SZ || read > size)
    {
        text.SetLength(0);
        return 0;
    }
    // Only a stored terminator is dropped: a value written without one (other programs do) keeps its
    // last character.
    int length = static_cast<int>(read / 2);
    if (length > 0 && buffer[length - 1] == 0)
        --length;
    text.SetLength(length);
    return 1;
}

int StringValueEquals(HKEY key, const char16_t* name, const GString& text)
{
    GString value;
    if (!QueryStringValue(key, name, value))
        return 0;
    return value.Equals(text);
}

int DeleteValue(HKEY key, const char16_t* name)
{
    if (!key || !HasText(name))
        return 0;
    return RegDeleteValueW(key, WinText(name)) == ERROR_SUCCESS ? 1 : 0;
}
