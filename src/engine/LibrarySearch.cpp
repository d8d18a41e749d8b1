#include "engine/LibrarySearch.h"

#include <windows.h>

#include "platform/Handles.h"

int RestrictLibrarySearch()
{
    // The names are fixed here rather than fetched from the string tables: this runs before anything
    // is decoded, which is the point. kernel32 is loaded in every process: nothing is searched for.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD flags);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return 0;
    auto restrict = ProcAs<SetDefaultDllDirectoriesFn>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
    return restrict&& restrict(LOAD_LIBRARY_SEARCH_SYSTEM32) ? 1 : 0;
}
