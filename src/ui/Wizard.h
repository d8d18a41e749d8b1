// The wizard controller: owns the main window, the page shown and the header font.
#pragma once

#include <windows.h>

class CInstall;

class CWizard
{
public:
    explicit CWizard(CInstall* install) : Install(install) {}
    virtual ~CWizard();

    // Fails only for a missing installer or instance handle.
    int Init(HINSTANCE instance);
    // Destroys the windows and the font; harmless when there are none.
    void ReleaseWindows();
    HWND MainWindow() const { return MainWindowHandle; }

    CInstall* Install;
    HINSTANCE Instance = nullptr;
    HWND MainWindowHandle = nullptr;
};
