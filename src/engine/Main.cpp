// The entry function: one installer object for the whole run.
#include <objbase.h>

#include "engine/CInstall.h"
#include "engine/LibrarySearch.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    // Before anything else can load a library.
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
