// What the installer asks the running system about itself, and what it does to it as a whole: the
// version and processor, the user's rights, the restart, a started command, and system functions
// found by the names the string tables give them.
#include <cstdarg>

#include "engine/CInstall.h"
#include "payload/StringIds.h"
#include "platform/System.h"

int CInstall::DetectSystem(uint32_t procId, uint32_t libId)
{
    ProcessorArchitecture = 0xFFFF;
    OsCode = 0;
    Is64BitWindows = 0;
    int32_t osCode = 0;
    if (!ReadOsCode(&osCode))
        return 0;
    OsCode = osCode;
    {
        CModule holder;
        ProcessorArchitecture =
            ReadProcessorArchitecture(ProcAs<NativeSystemInfoFn>(GetProcById(procId, libId, holder)));
    }
    if (IsArchitecture64(ProcessorArchitecture))
        Is64BitWindows = 1;

    // The restart comes after Finish has released the string tables (the key material is wiped
    // before Windows goes down), so the one call it looks up by name is looked up now.
    if (!RestartLibrary)
        RestartFunction = GetProcById(kIdShutdownExFunction, kIdAdvapiLibrary, RestartLibrary);
    return 1;
}

int CInstall::IsUserAdministrator()
{
    return IsAdministratorsMember();
}

int CInstall::RestartWindows()
{
    if (!EnableShutdownPrivilege())
        return 0;
    FARPROC extended = RestartFunction;
    CModule holder;
    if (!extended)
        extended = GetProcById(kIdShutdownExFunction, kIdAdvapiLibrary, holder);
    // Windows 2000 has no call with a reason: the older one restarts all the same.
    return RequestRestart(ProcAs<ShutdownExFn>(extended));
}

int CInstall::RunCommand(uint32_t formatId, ...)
{
    if (formatId == 0)
        return 0;
    if (!GetString(formatId, ScratchText))
        return 0;
    GString commandLine;
    commandLine.EmptyW();
    va_list args;
    va_start(args, formatId);
    const int formatted = commandLine.AppendFormatV(ScratchText.GetW(0), args);
    va_end(args);
    // A command line cut short by a failed directive could name another program: it is not started.
    if (formatted)
        StartAndWait(commandLine, 1000);
    return 1;
}

CModule CInstall::LoadLibraryById(uint32_t libId)
{
    if (!GetString(libId, ScratchText))
        return CModule();
    return CModule(LoadLibraryW(WinText(ScratchText.GetW(0))));
}

FARPROC CInstall::GetProcById(uint32_t procId, uint32_t libId, CModule& holder)
{
    if (!holder)
    {
        holder = LoadLibraryById(libId);
        if (!holder)
            return nullptr;
    }
    if (!GetString(procId, ScratchText) || ScratchText.GetLength() == 0 || !ScratchText.ToNarrow())
        return nullptr;
    return GetProcAddress(holder.Get(), ScratchText.GetA(0));
}
