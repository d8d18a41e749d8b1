#include "ui/Wizard.h"

#include <commctrl.h>

#include <new>

#include "engine/CInstall.h"
#include "pages/DlgDone.h"
#include "pages/DlgEula.h"
#include "pages/DlgExpert.h"
#include "pages/DlgSetup.h"
#include "pages/DlgWelcome.h"
#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "ui/WndMain.h"

CWizard::CWizard(CInstall* installer) : Installer(installer) {}

CWizard::~CWizard()
{
    Cleanup();
}

int CWizard::Init(HINSTANCE instance)
{
    Instance = instance;
    if (!Installer || !instance)
        return 0;
    LOGFONTW font = {};
    GetString(kIdHeaderFontFace, Scratch);
    int length = Scratch.GetLength();
    const int room = LF_FACESIZE - 1;
    if (length > room)
        length = room;
    memcpy(font.lfFaceName, Scratch.GetW(0), sizeof(char16_t) * length);
    font.lfFaceName[length] = 0;
    font.lfHeight = -30;
    font.lfWeight = FW_BOLD;
    HeaderFont = CreateFontIndirectW(&font);
    InitCommonControls();
    return 1;
}

int CWizard::CreateMainWindow()
{
    CWndMain* main = new (std::nothrow) CWndMain;
    if (!main)
        return 0;
    MainWindow = main;
    main->Owner = this;
    main->RegisterWindowClass();
    main->CreateTopWindow(kIdWizardTitle, kMainWindowStyle, kMainWindowWidth, kMainWindowHeight);
    if (!Accelerators)
        Accelerators = LoadAcceleratorsW(Instance, MAKEINTRESOURCEW(kAccelerators));
    return 1;
}

void CWizard::HandleLoopMessage(MSG& message)
{
    if (ActivePage)
    {
        if (ActivePage->Handle && IsDialogMessageW(ActivePage->Handle, &message))
            return;
        if (MainWindow && MainWindow->Handle &&
            TranslateAcceleratorW(MainWindow->Handle, Accelerators, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int CWizard::Run()
{
    if (!CreateMainWindow())
        return 0;
    // Without a window nothing would ever post WM_QUIT, and the loop would wait for good.
    if (!MainWindow || !MainWindow->Handle)
    {
        CWndMain* main = MainWindow;
        MainWindow = nullptr;
        delete main;
        return 0;
    }
    MSG message;
    for (;;)
    {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        HandleLoopMessage(message);
    }
    // The window object unregisters its class, but it goes while its window is still being destroyed,
    // when Windows keeps the class; the window is gone now.
    GetString(kIdWindowClass, Scratch);
    UnregisterClassW(WinText(Scratch.GetW(0)), Instance);
    return 1;
}

int CWizard::OwnsPage(const CWndBase* window) const
{
    return window && (window == WelcomePage || window == LicencePage || window == SetupPage ||
                      window == KeysPage1 || window == KeysPage2 || window == FinishPage);
}

int CWizard::ShowPage(int templateId, CWndBase* page)
{
    if (!page)
        return 0;
    if (ActivePage)
    {
        ActivePage->DestroyBoundWindow();
        // A page that never got its window is not released by Windows.
        if (ActivePage && ActivePage != page)
            Release(ActivePage);
    }
    ActivePage = page;
    page->Owner = this;
    if (!page->CreatePage(templateId, MainWindowHandle()))
    {
        // The page may already be gone (its window was destroyed while being made).
        if (OwnsPage(page) && !page->Handle)
            Release(page);
        return 0;
    }
    return 1;
}

template <class Page> int CWizard::ShowInSlot(Page*& slot, int templateId)
{
    if (slot)
        return 0;
    slot = new (std::nothrow) Page;
    if (!slot)
        return 0;
    return ShowPage(templateId, slot);
}

int CWizard::ShowWelcome()
{
    return ShowInSlot(WelcomePage, kWelcomeTemplate);
}

int CWizard::ShowLicence()
{
    return ShowInSlot(LicencePage, kLicenceTemplate);
}

int CWizard::ShowSetup()
{
    return ShowInSlot(SetupPage, kSetupTemplate);
}

int CWizard::ShowKeys1()
{
    return ShowInSlot(KeysPage1, kKeys1Template);
}

int CWizard::ShowKeys2()
{
    return ShowInSlot(KeysPage2, kKeys2Template);
}

int CWizard::ShowFinish()
{
    return ShowInSlot(FinishPage, kFinishTemplate);
}

namespace
{
// Clears the slot before deleting, so that the object's own destruction finds nothing to release.
template <class T> int DeleteIfSlot(T*& slot, CWndBase* window)
{
    if (!slot || static_cast<CWndBase*>(slot) != window)
        return 0;
    T* object = slot;
    slot = nullptr;
    delete object;
    return 1;
}
} // namespace

void CWizard::Release(CWndBase* window)
{
    if (!window)
        return;
    if (window == ActivePage)
        ActivePage = nullptr;
    if (DeleteIfSlot(MainWindow, window))
        return;
    if (DeleteIfSlot(WelcomePage, window) || DeleteIfSlot(LicencePage, window) ||
        DeleteIfSlot(SetupPage, window) || DeleteIfSlot(KeysPage1, window) || DeleteIfSlot(KeysPage2, window))
        return;
    DeleteIfSlot(FinishPage, window);
}

void CWizard::Cleanup()
{
    if (HeaderFont)
    {
        DeleteObject(HeaderFont);
        HeaderFont = nullptr;
    }
    // The main window goes first: destroying it destroys the page, which releases itself.
    CWndMain* main = MainWindow;
    MainWindow = nullptr;
    delete main;
    ActivePage = nullptr;
    CWndBase* pages[] = {WelcomePage, LicencePage, SetupPage, KeysPage1, KeysPage2, FinishPage};
    WelcomePage = nullptr;
    LicencePage = nullptr;
    SetupPage = nullptr;
    KeysPage1 = nullptr;
    KeysPage2 = nullptr;
    FinishPage = nullptr;
    for (CWndBase* page : pages)
        delete page;
    MainSized = 0;
    HeaderHeight = 0;
}

HWND CWizard::MainWindowHandle() const
{
    return MainWindow ? MainWindow->Handle : nullptr;
}

int CWizard::MessageText(const char16_t* text, UINT type)
{
    GetString(kIdWizardTitle, Scratch);
    return Platform().ShowMessageBox(MainWindowHandle(), WinText(text ? text : u""), WinText(Scratch.GetW(0)),
                                     type);
}

int CWizard::MessageString(uint32_t id, UINT type)
{
    GString text;
    GetString(id, text);
    return MessageText(text.GetW(0), type);
}

void CWizard::DisablePageControls()
{
    if (!ActivePage || !ActivePage->Handle)
        return;
    for (HWND child = GetWindow(ActivePage->Handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EnableWindow(child, FALSE);
}

int CWizard::GetString(uint32_t id, GString& text)
{
    if (!Installer)
    {
        text.EmptyW();
        return 0;
    }
    return Installer->GetString(id, text);
}
