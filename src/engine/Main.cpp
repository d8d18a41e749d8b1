// The entry function: one installer object for the whole run.
#include <objbase.h>

#include "engine/CInstall.h"
#include "platform/Handles.h"

namespace
{
// Libraries loaded by name from here on (the system's own, and the shell's and COM's handlers) are
// looked for in the system folder only, so that a library planted beside setup.exe, in the downloads
// folder say, is never loaded into an installer running with administrator rights. Windows offers
// this from Windows 8 on, and on Vista and 7 with an update; elsewhere nothing changes.
//
// The names are fixed here rather than fetched from the string tables: this runs before anything is
// decoded, which is the point.
void RestrictLibrarySearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD flags);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return;
    auto restrict = ProcAs<SetDefaultDllDirectoriesFn>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
    if (restrict)
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    RestrictLibrarySearch();
    CInstall install;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // A failure before the wizard ends the program silently, with nothing to undo.
    if (install.Init(instance) && install.RunStartUpChecks())
    {
        install.Finish();
        CoUninitialize();
    }
    return 0;
}
