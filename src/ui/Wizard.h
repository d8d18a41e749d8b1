// The wizard controller: owns the main window object, the page shown and the header font, runs the
// message loop, and is the only way by which window code reaches the installer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "text/GString.h"

class CInstall;
class CWndBase;
class CWndMain;
class CDlgWelcome;
class CDlgEula;
class CDlgSetup;
class CDlgExpert1;
class CDlgExpert2;
class CDlgDone;
struct KeyRecord;

// Dialog templates of the pages, and the resources the framework loads.
constexpr int kWelcomeTemplate = 200;
constexpr int kLicenceTemplate = 201;
constexpr int kSetupTemplate = 202;
constexpr int kFinishTemplate = 203;
constexpr int kKeys1Template = 204;
constexpr int kKeys2Template = 205;
constexpr int kHeaderIcon = 128;
constexpr int kWindowIcon = 129;
constexpr int kAccelerators = 130;

// Page numbers kept in the installer's CurrentPage.
constexpr uint32_t kPageWelcome = 1;
constexpr uint32_t kPageLicence = 2;
constexpr uint32_t kPageSetup = 3;
constexpr uint32_t kPageKeys = 4;
constexpr uint32_t kPageFinish = 6;

// The version of this program as the install record stores it.
constexpr uint32_t kThisVersion = 190;

class CWizard
{
  public:
    explicit CWizard(CInstall* installer);
    ~CWizard();
    CWizard(const CWizard&) = delete;
    CWizard& operator=(const CWizard&) = delete;

    // Fails only for a missing installer or instance handle.
    int Init(HINSTANCE instance);
    // Creates the main window and runs the message loop until WM_QUIT.
    int Run();
    // The two halves of Run, apart so that a test can pump the loop itself.
    int CreateMainWindow();
    // One message through the page's dialog handling, the accelerators or the plain dispatch.
    void HandleLoopMessage(MSG& message);

    int ShowPage(int templateId, CWndBase* page);
    int ShowWelcome();
    int ShowLicence();
    int ShowSetup();
    int ShowKeys1();
    int ShowKeys2();
    int ShowFinish();
    // A window object whose window is gone: deleted when it is one of ours.
    void Release(CWndBase* window);
    // The header font, the main window and every page still present.
    void Cleanup();

    HWND MainWindowHandle() const;
    int MessageText(const char16_t* text, UINT type);
    int MessageString(uint32_t id, UINT type);
    void DisablePageControls();
    int GetString(uint32_t id, GString& text);

    // --- the installer, as the pages see it -------------------------------------------------------
    int HasInstaller() const { return Installer != nullptr; }
    uint32_t CurrentPage() const;
    void SetCurrentPage(uint32_t page);
    int32_t OsCode() const;
    uint32_t UiLanguage() const;
    int SetUiLanguage(uint32_t value);
    uint16_t LanguageId() const;
    void SetLanguageId(uint16_t value);
    const GString* LanguageName() const;
    void SetLanguageName(const char16_t* text, int length = -1);
    uint32_t LanguageScriptOption() const;
    void SetLanguageScriptOption(uint32_t value);
    uint32_t UserValuesOption() const;
    void SetUserValuesOption(uint32_t value);
    int32_t DesktopShortcutOption() const;
    void SetDesktopShortcutOption(int32_t value);
    int32_t SecondSetOption() const;
    void SetSecondSetOption(int32_t value);
    int32_t ChooseLayoutVariant();
    int32_t SetLayoutVariant(int32_t value);
    int32_t ChooseDecimalKeyOption();
    int32_t SetDecimalKeyOption(int32_t value);
    int32_t LicenceAccepted() const;
    void SetLicenceAccepted(int32_t value);
    int32_t ModifyMode() const;
    int32_t EnterModifyMode(int32_t value);
    uint32_t InstalledVersion() const;
    int32_t IsAdministrator() const;
    int32_t UninstallDone() const;
    int32_t AssociationMatches() const;
    void RequestRestart();
    KeyRecord* FindKeyRecord(uint16_t scanCode);
    const KeyRecord* FindDefaultKeyRecord(uint16_t scanCode);
    void NormaliseKeyTable();
    int Install();
    int Uninstall();
    int RunWithAssociatedProgram(uint32_t fileTypeId, uint32_t commandId, const char16_t* argument);
    // The licence text of the current interface language, as UTF-8 or UTF-16.
    int DecodeLicence(GString& text);

    HINSTANCE Instance = nullptr;
    CInstall* Installer = nullptr;
    CWndMain* MainWindow = nullptr;
    CWndBase* ActivePage = nullptr;
    CDlgWelcome* WelcomePage = nullptr;
    CDlgEula* LicencePage = nullptr;
    CDlgSetup* SetupPage = nullptr;
    CDlgExpert1* KeysPage1 = nullptr;
    CDlgExpert2* KeysPage2 = nullptr;
    CDlgDone* FinishPage = nullptr;
    GString Scratch;
    HFONT HeaderFont = nullptr;
    int MainSized = 0;
    int HeaderHeight = 0;

  private:
    template <class Page> int ShowInSlot(Page*& slot, int templateId);
    int OwnsPage(const CWndBase* window) const;
    HACCEL Accelerators = nullptr;
};
