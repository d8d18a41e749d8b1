// The few things about the machine that a test cannot arrange for real: which Windows and processor,
// whether the user is an administrator, the user's locale answers, a restart, a started process, the
// answer to a message box. Everything goes through one CPlatform; the default calls Windows and a test
// installs its own with SetPlatform. Nothing else in the program is faked.
#pragma once

#include <windows.h>

// The native system information call (same structure as GetSystemInfo, but the machine's processor
// rather than that of the 32-bit layer) and the restart call with a reason, both found by name at run
// time because Windows 2000 has neither.
using NativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO info);
using ShutdownExFn = BOOL(WINAPI*)(LPWSTR machine, LPWSTR message, DWORD timeout, BOOL force, BOOL reboot,
                                   DWORD reason);

class CPlatform
{
  public:
    virtual ~CPlatform() = default;

    // GetLocaleInfoW
    virtual int GetLocaleText(LCID locale, LCTYPE item, wchar_t* buffer, int length);
    // GetUserDefaultLangID
    virtual LANGID UserDefaultLanguage();
    // GetVersionExW; the size field of info says which structure the caller offers.
    virtual BOOL QueryVersion(OSVERSIONINFOW* info);
    // The native call when it was found, else GetSystemInfo.
    virtual void QuerySystemInfo(NativeSystemInfoFn native, SYSTEM_INFO* info);
    // CheckTokenMembership with the calling thread's effective token.
    virtual BOOL CheckMembership(PSID group, BOOL* member);
    // Restarts this computer: the call with a reason when it was found, else InitiateSystemShutdownW.
    virtual BOOL RequestShutdown(ShutdownExFn extended, LPWSTR message, DWORD timeout, BOOL force,
                                 BOOL reboot, DWORD reason);
    // CreateProcessW with no application name, no inherited handles, flags 0, the parent's environment
    // and folder.
    virtual BOOL StartProcess(LPWSTR commandLine, STARTUPINFOW* startup, PROCESS_INFORMATION* process);
    // MessageBoxW
    virtual int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
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
