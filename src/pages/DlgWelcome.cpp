#include "pages/DlgWelcome.h"

#include "pages/ControlIds.h"
#include "pages/PageText.h"
#include "payload/StringIds.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

namespace
{
const ItemString WelcomeTexts[] = {
    {IDC_UI_LANGUAGE_LABEL, kIdUiLanguageLabel},
    {IDC_UNINSTALL, kIdUninstallButton},
    {IDC_CANCEL_PAGE, kIdCancelButton},
    {IDC_NEXT, kIdNextButton},
    {IDC_KEYBOARD_SETTINGS, kIdKeyboardSettingsButton},
    {IDC_MODIFY, kIdModifyButton},
    {IDC_REINSTALL, kIdReinstallButton},
    {0, 0},
};

// Each language is named in itself, so the list reads the same whichever language is shown.
const ComboEntry UiLanguages[] = {
    {kIdUiLanguageEnglish, 0},
    {kIdUiLanguagePolish, 1},
    {0, 0},
};

const int MaintenanceButtons[] = {IDC_UNINSTALL, IDC_KEYBOARD_SETTINGS, IDC_MODIFY, 0};
} // namespace

CDlgWelcome::~CDlgWelcome() = default;

int CDlgWelcome::InMaintenanceMode()
{
    return Owner && Owner->InstalledVersion() == kThisVersion;
}

void CDlgWelcome::RefreshWelcome()
{
    int maintenance = InMaintenanceMode();
    FormatByIds(*this, Text, maintenance ? kIdMaintenanceTitle : kIdWelcomeTitle, kIdLayoutName);
    SetItemText(IDC_WELCOME_TITLE, Text.GetW(0));
    SetItemString(IDC_WELCOME_BODY, maintenance ? kIdInstalledText : kIdWelcomeBody);
    SetFocus(GetDlgItem(Handle, maintenance ? IDC_KEYBOARD_SETTINGS : IDC_NEXT));
    SetItemStrings(WelcomeTexts);
    FillComboItem(IDC_UI_LANGUAGE, UiLanguages, static_cast<int32_t>(Owner->UiLanguage()));
}

int CDlgWelcome::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageWelcome);
    PlacePage();
    RefreshWelcome();
    int maintenance = InMaintenanceMode();
    EnableItems(MaintenanceButtons, maintenance);
    ShowItems(MaintenanceButtons, maintenance);
    EnableItem(IDC_NEXT, !maintenance);
    ShowItem(IDC_NEXT, !maintenance);
    SetForegroundWindow(Handle);
    return 1;
}

int CDlgWelcome::UninstallCommand()
{
    if (!Owner->IsAdministrator())
    {
        ShowMessageString(kIdNeedAdministrator, MB_OK);
        SetPageNumber(kPageFinish);
        PostToMain(WM_WIZ_CLOSE);
        return 1;
    }
    GString question;
    FormatByIds(*this, question, kIdUninstallQuestion, kIdProductName);
    if (ShowMessage(question.GetW(0), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;
    Owner->DisablePageControls();
    // A failed removal leaves the page disabled: only the title bar can close the wizard then.
    if (Owner->Uninstall() == 1)
    {
        SetPageNumber(kPageFinish);
        PostToMain(WM_WIZ_DONE);
    }
    return 1;
}

int CDlgWelcome::OnCommand()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    if (NotifyCode == CBN_SELENDOK && ControlId == IDC_UI_LANGUAGE)
    {
        Owner->SetUiLanguage(static_cast<uint32_t>(GetComboData(IDC_UI_LANGUAGE)));
        RefreshWelcome();
        return 1;
    }
    if (NotifyCode != BN_CLICKED)
        return 0;
    switch (ControlId)
    {
        case IDC_NEXT:
            if (!InMaintenanceMode())
                PostToMain(WM_WIZ_NEXT);
            return 1;
        case IDC_KEYBOARD_SETTINGS:
            // The id is IDCANCEL, which Esc also sends: outside maintenance mode the button is not there.
            if (InMaintenanceMode())
            {
                GString argument;
                FetchStringInto(kIdKeyboardSettingsArgument, argument);
                Owner->RunWithAssociatedProgram(kIdControlPanelFileType, kIdAssociatedProgramCommand,
                                                argument.GetW(0));
            }
            return 1;
        case IDC_CANCEL_PAGE:
            PostToMain(WM_WIZ_CLOSE);
            return 1;
        case IDC_UNINSTALL:
            return UninstallCommand();
        case IDC_MODIFY:
            if (InMaintenanceMode())
            {
                Owner->EnterModifyMode(1);
                SetPageNumber(kPageSetup);
                PostToMain(WM_WIZ_SETUP);
            }
            return 0;
        default:
            return 0;
    }
}
