#include "pages/DlgEula.h"

#include "pages/ControlIds.h"
#include "payload/StringIds.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

namespace
{
const ItemString LicenceTexts[] = {
    {IDC_LICENCE_TITLE, kIdLicenceTitle},
    {IDC_ACCEPT_LICENCE, kIdAcceptLicence},
    {IDC_CANCEL_PAGE, kIdCancelButton},
    {IDC_BACK, kIdBackButton},
    {IDC_NEXT, kIdNextButton},
    {0, 0},
};
} // namespace

CDlgEula::~CDlgEula() = default;

int CDlgEula::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageLicence);
    PlacePage();
    int accepted = Owner->LicenceAccepted() != 0;
    CheckItem(IDC_ACCEPT_LICENCE, accepted);
    EnableItem(IDC_NEXT, accepted);
    SetItemStrings(LicenceTexts);
    GString licence;
    if (Owner->DecodeLicence(licence) && licence.ToWide())
        SetItemText(IDC_LICENCE_TEXT, licence.GetW(0));
    SetFocus(GetDlgItem(Handle, IDC_ACCEPT_LICENCE));
    SetForegroundWindow(Handle);
    return 1;
}

int CDlgEula::OnCommand()
{
    if (!Owner)
        return 0;
    if (NotifyCode == EN_SETFOCUS)
    {
        // The text is there to be read, never to be shown selected.
        if (ControlId == IDC_LICENCE_TEXT)
            SendDlgItemMessageW(Handle, IDC_LICENCE_TEXT, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        return 1;
    }
    if (NotifyCode != BN_CLICKED)
        return 0;
    switch (ControlId)
    {
        case IDC_NEXT:
            PostToMain(WM_WIZ_NEXT);
            return 1;
        case IDC_CANCEL_PAGE:
            PostToMain(WM_WIZ_CLOSE);
            return 1;
        case IDC_BACK:
            PostToMain(WM_WIZ_BACK);
            return 1;
        case IDC_ACCEPT_LICENCE:
        {
            int accepted = IsItemChecked(IDC_ACCEPT_LICENCE);
            EnableItem(IDC_NEXT, accepted);
            Owner->SetLicenceAccepted(accepted);
            return 1;
        }
        default:
            return 0;
    }
}
