#include "platform/Platform.h"

namespace
{
CPlatform DefaultPlatform;
CPlatform* Current = &DefaultPlatform;
} // namespace

int CPlatform::GetLocaleText(LCID locale, LCTYPE item, wchar_t* buffer, int length)
{
    return GetLocaleInfoW(locale, item, buffer, length);
}

LANGID CPlatform::UserDefaultLanguage()
{
    return GetUserDefaultLangID();
}

CPlatform& Platform()
{
    return *Current;
}

CPlatform* SetPlatform(CPlatform* platform)
{
    CPlatform* previous = Current;
    Current = platform ? platform : &DefaultPlatform;
    return previous;
}
