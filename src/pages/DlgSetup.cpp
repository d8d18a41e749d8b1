#include "pages/DlgSetup.h"

#include <cstdlib>

#include "pages/ControlIds.h"
#include "pages/PageText.h"
#include "payload/StringIds.h"
#include "platform/Platform.h"
#include "text/Scan.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

namespace
{
const ItemString SetupTexts[] = {
    {IDC_CANCEL_PAGE, kIdCancelButton},
    {IDC_BACK, kIdBackButton},
    {IDC_INPUT_LANGUAGE_LABEL, kIdInputLanguageLabel},
    {IDC_INSTALL, kIdInstallButton},
    {IDC_DESKTOP_SHORTCUTS, kIdDesktopShortcutsCheck},
    {IDC_USER_VALUES, kIdUserValuesCheck},
    {IDC_SECOND_SET, kIdSecondSetCheck},
    {IDC_VARIANT_LABEL, kIdVariantLabel},
    {IDC_DECIMAL_LABEL, kIdDecimalKeyLabel},
    {IDC_SETUP_NOTE, kIdSetupNote},
    {IDC_KEYS, kIdKeysButton},
    {IDC_MORE_KEYS, kIdMoreKeysButton},
    {IDC_NEXT, kIdNextButton},
    {0, 0},
};

const ComboEntry Variants[] = {
    {kIdVariantName0, 0},
    {kIdVariantName1, 1},
    {kIdVariantName2, 2},
    {0, 0},
};

const ComboEntry DecimalKeys[] = {
    {kIdDecimalComma, 0},
    {kIdDecimalPoint, 1},
    {0, 0},
};

const int LanguageControls[] = {IDC_INPUT_LANGUAGE_LABEL, IDC_INPUT_LANGUAGE, IDC_DEFAULT_INPUT, 0};

// EnumSystemLocalesW gives its callback no context, so the enumeration keeps its state here.
constexpr int kNameBufferSize = 1024;
HKL* LayoutList = nullptr;
int LayoutCount = 0;
char16_t* NameBuffer = nullptr;
int NameBufferSize = 0;
HWND TargetList = nullptr;
uint16_t PreselectedLanguage = 0;
// The name under which the input language was last listed; lives for the whole run.
GString PreselectedName;

void FreeLayoutList()
{
    free(LayoutList);
    LayoutList = nullptr;
    LayoutCount = 0;
}

void FreeNameBuffer()
{
    free(NameBuffer);
    NameBuffer = nullptr;
    NameBufferSize = 0;
}

BOOL CALLBACK ListLocale(LPWSTR localeText)
{
    if (!localeText || !TargetList)
        return FALSE;
    unsigned value = 0;
    if (ScanHex(reinterpret_cast<const char16_t*>(localeText), &value) != 1 || value == 0)
        return FALSE;
    int accepted = value == PreselectedLanguage;
    for (int i = 0; i < LayoutCount && !accepted; ++i)
        accepted = LOWORD(reinterpret_cast<UINT_PTR>(LayoutList[i])) == LOWORD(value);
    if (!accepted)
        return TRUE;
    if (!NameBuffer ||
        Platform().GetLocaleText(value, LOCALE_SLANGUAGE, WinText(NameBuffer), NameBufferSize - 1) <= 0)
        return FALSE;
    NameBuffer[NameBufferSize - 1] = 0;
    LRESULT index = SendMessageW(TargetList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NameBuffer));
    if (index == CB_ERR || index == CB_ERRSPACE)
        return FALSE;
    SendMessageW(TargetList, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
    if (value == PreselectedLanguage)
    {
        PreselectedName.EmptyW();
        PreselectedName.AppendW(NameBuffer);
    }
    return TRUE;
}
} // namespace

CDlgSetup::CDlgSetup()
{
    FreeLayoutList();
    FreeNameBuffer();
}

CDlgSetup::~CDlgSetup()
{
    FreeLayoutList();
    FreeNameBuffer();
    PreselectedLanguage = 0;
    TargetList = nullptr;
}

void CDlgSetup::FillLanguageList(HWND combo)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    FreeNameBuffer();
    NameBuffer = static_cast<char16_t*>(malloc(sizeof(char16_t) * kNameBufferSize));
    if (!NameBuffer)
        return;
    NameBufferSize = kNameBufferSize;
    FreeLayoutList();
    int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0)
        return;
    LayoutList = static_cast<HKL*>(malloc(sizeof(HKL) * count));
    if (!LayoutList)
        return;
    PreselectedLanguage = Owner->LanguageId();
    TargetList = combo;
    LayoutCount = GetKeyboardLayoutList(count, LayoutList);
    if (LayoutCount <= 0)
    {
        FreeLayoutList();
        return;
    }
    if (!EnumSystemLocalesW(ListLocale, LCID_INSTALLED))
    {
        FreeLayoutList();
        FreeNameBuffer();
        TargetList = nullptr;
        return;
    }
    FreeNameBuffer();
    TargetList = nullptr;
    LRESULT items = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < items; ++i)
    {
        if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == PreselectedLanguage)
        {
            SelectComboItem(combo, static_cast<int>(i));
            break;
        }
    }
}

void CDlgSetup::UpdateLanguageCaption()
{
    GString caption;
    const GString* name = Owner->LanguageName();
    if (name)
        caption.Assign(*name);
    caption.ToWide();
    caption.AppendW(u" - ");
    GString layout;
    FetchStringInto(kIdLayoutName, layout);
    caption.AppendString(layout);
    FormatById(*this, Text, kIdDefaultInputCheck, caption.GetW(0));
    SetItemText(IDC_DEFAULT_INPUT, Text.GetW(0));
}

int CDlgSetup::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageSetup);
    PlacePage();
    EnableItem(IDC_MORE_KEYS, 0);
    ShowItem(IDC_MORE_KEYS, 0);
    CheckItem(IDC_SECOND_SET, Owner->SecondSetOption() != 0);

    FillLanguageList(GetDlgItem(Handle, IDC_INPUT_LANGUAGE));
    FillComboItem(IDC_VARIANT, Variants, Owner->ChooseLayoutVariant());
    FillComboItem(IDC_DECIMAL, DecimalKeys, Owner->ChooseDecimalKeyOption());
    Owner->SetLanguageName(PreselectedName.ToWide() ? PreselectedName.GetW(0) : u"");
    UpdateLanguageCaption();

    int modify = Owner->ModifyMode() != 0;
    int language = Owner->OsCode() >= 60 && !modify;
    EnableItems(LanguageControls, language);
    ShowItems(LanguageControls, language);
    CheckItem(IDC_DEFAULT_INPUT, language && Owner->LanguageScriptOption());

    EnableItem(IDC_USER_VALUES, !modify);
    ShowItem(IDC_USER_VALUES, !modify);
    CheckItem(IDC_USER_VALUES, !modify && Owner->UserValuesOption());

    // From Windows 8 on the desktop shortcuts are always made.
    if (Owner->OsCode() >= 62)
        Owner->SetDesktopShortcutOption(1);
    int shortcuts = Owner->OsCode() < 62 && !modify;
    EnableItem(IDC_DESKTOP_SHORTCUTS, shortcuts);
    ShowItem(IDC_DESKTOP_SHORTCUTS, shortcuts);
    CheckItem(IDC_DESKTOP_SHORTCUTS, !modify && Owner->DesktopShortcutOption());

    SetItemStrings(SetupTexts);
    FormatByIds(*this, Text, kIdInputLanguageLabel, kIdLayoutName);
    SetItemText(IDC_INPUT_LANGUAGE_LABEL, Text.GetW(0));

    SetFocus(GetDlgItem(Handle, IDC_INSTALL));
    SetForegroundWindow(Handle);
    return 0;
}

int CDlgSetup::OnSelectionChange()
{
    HWND combo = GetDlgItem(Handle, ControlId);
    if (!combo || SendMessageW(combo, CB_GETCURSEL, 0, 0) == CB_ERR)
        return 0;
    int32_t data = GetComboData(ControlId);
    switch (ControlId)
    {
        case IDC_INPUT_LANGUAGE:
        {
            Owner->SetLanguageId(static_cast<uint16_t>(data));
            WPARAM index = static_cast<WPARAM>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
            LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
            if (length == CB_ERR || length <= 0)
                return 0;
            GString name;
            char16_t* buffer = name.GetBufferW(static_cast<int>(length) + 1);
            if (!buffer)
                return 0;
            LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
            if (copied == CB_ERR || copied <= 0)
                return 0;
            Owner->SetLanguageName(buffer, static_cast<int>(copied));
            UpdateLanguageCaption();
            return 1;
        }
        case IDC_VARIANT:
            Owner->SetLayoutVariant(data);
            return 1;
        case IDC_DECIMAL:
            Owner->SetDecimalKeyOption(data);
            return 1;
        default:
            return 0;
    }
}

int CDlgSetup::RunInstall()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    if (!Owner->IsAdministrator())
    {
        ShowMessageString(kIdNeedAdministrator, MB_OK);
        SetPageNumber(kPageFinish);
        PostToMain(WM_WIZ_CLOSE);
        return 1;
    }
    // The page number is 6 before WM_WIZ_CLOSE arrives, so the wizard closes without its question.
    if (Owner->Install() != 1)
    {
        ShowMessageString(kIdInstallFailed, MB_OK);
        SetPageNumber(kPageFinish);
        PostToMain(WM_WIZ_CLOSE);
        return 1;
    }
    SetPageNumber(kPageFinish);
    PostToMain(WM_WIZ_DONE);
    return 1;
}

int CDlgSetup::OnCommand()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    if (NotifyCode == CBN_SELCHANGE)
        return OnSelectionChange();
    if (NotifyCode != BN_CLICKED)
        return 0;
    switch (ControlId)
    {
        case IDC_NEXT:
            PostToMain(WM_WIZ_NEXT);
            return 1;
        case IDC_INSTALL:
            return RunInstall();
        case IDC_CANCEL_PAGE:
            PostToMain(WM_WIZ_CLOSE);
            return 1;
        case IDC_BACK:
            PostToMain(WM_WIZ_BACK);
            return 1;
        case IDC_KEYS:
            PostToMain(WM_WIZ_KEYS1);
            return 1;
        case IDC_MORE_KEYS:
            PostToMain(WM_WIZ_KEYS2);
            return 1;
        case IDC_DEFAULT_INPUT:
            Owner->SetLanguageScriptOption(IsItemChecked(IDC_DEFAULT_INPUT));
            return 1;
        case IDC_USER_VALUES:
            Owner->SetUserValuesOption(IsItemChecked(IDC_USER_VALUES));
            return 1;
        case IDC_DESKTOP_SHORTCUTS:
            Owner->SetDesktopShortcutOption(IsItemChecked(IDC_DESKTOP_SHORTCUTS));
            return 1;
        case IDC_SECOND_SET:
            Owner->SetSecondSetOption(IsItemChecked(IDC_SECOND_SET));
            return 1;
        default:
            return 0;
    }
}
