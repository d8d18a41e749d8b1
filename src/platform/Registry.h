// The registry as the installer uses it: keys opened or created with fixed options, and values of three
// types with exact sizes. Every function answers 1/0 (or an owner that is empty on failure) and keeps
// no state; the by-id forms that take names from the string tables are operations of CInstall.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Handles.h"
#include "text/GString.h"

// The access masks the program opens keys with.
constexpr REGSAM kKeyRead = 0x20019;      // the install record, the scan-code map
constexpr REGSAM kKeyWrite = 0x20006;     // writing and removing those
constexpr REGSAM kKeyRead64 = 0x20119;    // the layout registration, after Windows 2000
constexpr REGSAM kKeyWrite64 = 0x20106;   // removing the layout registration on 64-bit Windows
constexpr REGSAM kKeySetCreate = 6;       // the layout registration (32-bit Windows), the finishing value
constexpr REGSAM kKeySetCreate64 = 0x106; // the layout registration on 64-bit Windows
constexpr REGSAM kKeyReadWrite = 0x2001F; // the user values
static_assert(kKeyRead == KEY_READ && kKeyWrite == KEY_WRITE && kKeyReadWrite == (KEY_READ | KEY_WRITE));
static_assert(kKeyRead64 == (KEY_READ | KEY_WOW64_64KEY) && kKeyWrite64 == (KEY_WRITE | KEY_WOW64_64KEY));
static_assert(kKeySetCreate == (KEY_SET_VALUE | KEY_CREATE_SUB_KEY) &&
              kKeySetCreate64 == (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_WOW64_64KEY));

// Null root, null or empty sub-key: an empty owner.
CKey OpenKey(HKEY root, const char16_t* subKey, REGSAM access);
// Opens the key when it exists; a new key is persistent.
CKey CreateKey(HKEY root, const char16_t* subKey, REGSAM access);

int SetBinaryValue(HKEY key, const char16_t* name, const void* bytes, uint32_t size);
// A non-empty REG_BINARY value in a new malloc'ed buffer (the caller frees it), its size in *size;
// null and size 0 otherwise.
unsigned char* QueryBinaryValue(HKEY key, const char16_t* name, uint32_t* size);

int SetDwordValue(HKEY key, const char16_t* name, uint32_t value);
// *value is written only when a 4-byte REG_DWORD was read.
int QueryDwordValue(HKEY key, const char16_t* name, uint32_t* value);

// REG_SZ with its terminator. The text is made wide.
int SetStringValue(HKEY key, const char16_t* name, GString& text);
// A REG_SZ value (no other type) into text, wide, without the stored terminator.
int QueryStringValue(HKEY key, const char16_t* name, GString& text);
// The value is a REG_SZ equal to text, unit for unit (case counts).
int StringValueEquals(HKEY key, const char16_t* name, const GString& text);

int DeleteValue(HKEY key, const char16_t* name);
