// The start-up checks, in the order that decides what the user sees first, and the finishing value.
#include "engine/CInstall.h"

#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "ui/Wizard.h"

int CInstall::RunStartUpChecks()
{
    const int prepared = PrepareRun();
    if (prepared != kRunWizard)
        return prepared;
    return Wizard->Run() ? 1 : 0;
}

int CInstall::PrepareRun()
{
    if (!Wizard)
        return 0;
    // From the first message on, a Polish user reads Polish.
    UiLanguage = Platform().UserDefaultLanguage() == 0x0415 ? 1 : 0;
    DetectSystem(kIdNativeSystemInfoFunction, kIdKernelLibrary);
    // The support test comes before the rights test: an unsupported system says so to everyone.
    if (!IsSupportedSystem())
    {
        Wizard->MessageString(kIdUnsupportedSystem, MB_ICONEXCLAMATION);
        return 0;
    }
    LanguageId = OsCode < 60 ? DefaultLanguageId : Platform().UserDefaultLanguage();
    if (OsCode < 51)
        LanguageScriptOption = 0;
    if (!ActivateRunningInstance())
        return 0;
    ComputeInstallPaths();
    AssociationMatches = AssociatedExecutableContains(kIdDocumentExtension, kIdPdfViewerNeedle);
    IsAdministrator = IsUserAdministrator();
    if (!IsAdministrator)
    {
        // The program never asks for elevation: it says what is needed and ends.
        Wizard->MessageString(kIdNeedAdministrator, MB_OK);
        return 1;
    }
    ReadScancodeMap();
    ReadInstallRecord();
    return kRunWizard;
}

int CInstall::ActivateRunningInstance()
{
    if (!GetString(kIdWindowClass, ScratchText) || ScratchText.GetLength() == 0)
        return 1;
    HWND other = FindWindowW(WinText(ScratchText.GetW(0)), nullptr);
    if (!other)
        return 1;
    SetForegroundWindow(other);
    return 0;
}

int CInstall::WriteFinishValue()
{
    return SetMachineStringByIds(kIdFinishKey, kIdFinishValue,
                                 OsCode > 50 ? kIdFinishCommand : kIdFinishCommandWin2000);
}
