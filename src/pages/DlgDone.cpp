#include "pages/DlgDone.h"

#include "pages/ControlIds.h"
#include "pages/PageText.h"
#include "payload/StringIds.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

namespace
{
const ItemString FinishTexts[] = {
    {IDC_CANCEL_PAGE, kIdCancelButton},
    {IDC_RESTART, kIdRestartButton},
    {0, 0},
};
} // namespace

CDlgDone::~CDlgDone() = default;

int CDlgDone::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageFinish);
    PlacePage();
    SetItemStrings(FinishTexts);
    GString title;
    GString body;
    if (Owner->UninstallDone())
    {
        title.EmptyW();
        FetchStringInto(kIdUninstalledBody, body);
    }
    else
    {
        FetchStringInto(kIdInstalledText, title);
        if (Owner->OsCode() >= 60)
            FetchStringInto(kIdFinishBody, body);
        else
            FormatByIds(*this, body, kIdFinishBodyBeforeVista, kIdLayoutName);
        if (!Owner->AssociationMatches())
        {
            GString note;
            FetchStringInto(kIdPdfViewerNote, note);
            body.AppendW(u"\n\n");
            body.AppendString(note);
        }
    }
    SetItemText(IDC_FINISH_TITLE, title.GetW(0));
    SetItemText(IDC_FINISH_BODY, body.GetW(0));
    SetFocus(GetDlgItem(Handle, IDC_RESTART));
    SetForegroundWindow(Handle);
    return 1;
}

int CDlgDone::OnCommand()
{
    if (NotifyCode != BN_CLICKED || ControlId != IDC_RESTART)
        return 0;
    SetPageNumber(kPageFinish);
    PostToMain(WM_WIZ_RESTART);
    return 1;
}
