#include "ui/Wizard.h"

CWizard::~CWizard()
{
    ReleaseWindows();
}

int CWizard::Init(HINSTANCE instance)
{
    if (!Install || !instance)
        return 0;
    Instance = instance;
    return 1;
}

void CWizard::ReleaseWindows()
{
    if (MainWindowHandle)
    {
        DestroyWindow(MainWindowHandle);
        MainWindowHandle = nullptr;
    }
}
