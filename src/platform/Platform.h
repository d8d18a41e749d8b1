// The few things about the machine that a test cannot arrange for real: which Windows and processor,
// whether the user is an administrator, the user's locale answers, a restart, a started process, the
// answer to a message box. Everything goes through one CPlatform; the default calls Windows and a test
// installs its own with SetPlatform. Nothing else in the program is faked.
#pragma once

#include <windows.h>

class CPlatform
{
public:
    virtual ~CPlatform() = default;

    // GetLocaleInfoW
    virtual int GetLocaleText(LCID locale, LCTYPE item, wchar_t* buffer, int length);
    // GetUserDefaultLangID
    virtual LANGID UserDefaultLanguage();
};

// The platform in use; never null.
CPlatform& Platform();
// Installs another platform (null restores the default) and returns the previous one.
CPlatform* SetPlatform(CPlatform* platform);

// Windows takes wchar_t texts, the portable code holds char16_t ones: both are UTF-16 units here.
inline const wchar_t* WinText(const char16_t* text)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* WinText(char16_t* text)
{
    return reinterpret_cast<wchar_t*>(text);
}
