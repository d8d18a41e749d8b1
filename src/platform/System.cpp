#include "platform/System.h"

#include <cstring>

#include "platform/Handles.h"

int ReadOsCode(int32_t* osCode)
{
    *osCode = 0;
    OSVERSIONINFOEXW info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    OSVERSIONINFOW* asked = reinterpret_cast<OSVERSIONINFOW*>(&info);
    if (!Platform().QueryVersion(asked))
    {
        memset(&info, 0, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!Platform().QueryVersion(asked))
            return 0;
    }
    *osCode = static_cast<int32_t>(info.dwMajorVersion * 10 + info.dwMinorVersion);
    return 1;
}

uint16_t ReadProcessorArchitecture(NativeSystemInfoFn native)
{
    SYSTEM_INFO info;
    memset(&info, 0, sizeof(info));
    Platform().QuerySystemInfo(native, &info);
    return info.wProcessorArchitecture;
}

int IsArchitecture64(uint16_t architecture)
{
    return architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_IA64;
}

int IsAdministratorsMember()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    CSid administrators;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.Receive()))
    {
        administrators.Detach();
        return 0;
    }
    BOOL member = FALSE;
    if (!Platform().CheckMembership(administrators.Get(), &member))
        return 0;
    return member ? 1 : 0;
}

int EnableShutdownPrivilege()
{
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    {
        token.Detach();
        return 0;
    }
    TOKEN_PRIVILEGES privileges;
    memset(&privileges, 0, sizeof(privileges));
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return 0;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // The call succeeds also when the privilege was not granted; only the error code tells
    // (ERROR_NOT_ALL_ASSIGNED), so it is cleared first.
    SetLastError(ERROR_SUCCESS);
    const BOOL adjusted = AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    if (!adjusted || GetLastError() != ERROR_SUCCESS)
        return 0;
    return 1;
}

int RequestRestart(ShutdownExFn extended)
{
    wchar_t message[1] = {0};
    const DWORD reason =
        SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OPERATINGSYSTEM | SHTDN_REASON_MINOR_RECONFIG;
    static_assert(reason == 0x80020004);
    return Platform().RequestShutdown(extended, message, 0, FALSE, TRUE, reason) ? 1 : 0;
}

int StartAndWait(GString& commandLine, DWORD milliseconds)
{
    // CreateProcessW may write into the command line while it parses it: a non-empty wide string's
    // text lies in its own block (only an empty one shows the shared empty text).
    if (commandLine.GetLength() == 0 || !commandLine.ToWide())
        return 0;
    wchar_t* line = const_cast<wchar_t*>(WinText(commandLine.GetW(0)));
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof(process));
    if (!Platform().StartProcess(line, &startup, &process))
        return 0;
    CHandle processHandle(process.hProcess);
    CHandle threadHandle(process.hThread);
    if (processHandle)
        WaitForSingleObject(processHandle.Get(), milliseconds);
    return 1;
}
