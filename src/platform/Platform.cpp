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

BOOL CPlatform::QueryVersion(OSVERSIONINFOW* info)
{
    return GetVersionExW(info);
}

void CPlatform::QuerySystemInfo(NativeSystemInfoFn native, SYSTEM_INFO* info)
{
    if (native)
        native(info);
    else
        GetSystemInfo(info);
}

BOOL CPlatform::CheckMembership(PSID group, BOOL* member)
{
    return CheckTokenMembership(nullptr, group, member);
}

BOOL CPlatform::RequestShutdown(ShutdownExFn extended, LPWSTR message, DWORD timeout, BOOL force, BOOL reboot,
                                DWORD reason)
{
    if (extended)
        return extended(nullptr, message, timeout, force, reboot, reason);
    return InitiateSystemShutdownW(nullptr, message, timeout, force, reboot);
}

BOOL CPlatform::StartProcess(LPWSTR commandLine, STARTUPINFOW* startup, PROCESS_INFORMATION* process)
{
    return CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, startup,
                          process);
}

int CPlatform::ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    return MessageBoxW(owner, text, caption, flags);
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
