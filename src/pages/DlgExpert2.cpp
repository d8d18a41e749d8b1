// The scan-code remapping page. It is switched off: nothing visible leads here, and it hides its rows.
#include <cstdlib>

#include "pages/ControlIds.h"
#include "pages/DlgExpert.h"
#include "payload/KeyTable.h"
#include "payload/StringIds.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

const ValuePair Keys2Rows[] = {
    {IDC_KEYS2_LIST + 1, 0x3A},    {IDC_KEYS2_LIST + 2, 0x1D},    {IDC_KEYS2_LIST + 3, 0xE068},
    {IDC_KEYS2_LIST + 4, 0xE067},  {IDC_KEYS2_LIST + 5, 0xE065},  {IDC_KEYS2_LIST + 6, 0xE066},
    {IDC_KEYS2_LIST + 7, 0xE032},  {IDC_KEYS2_LIST + 8, 0xE06C},  {IDC_KEYS2_LIST + 9, 0xE06B},
    {IDC_KEYS2_LIST + 10, 0xE021}, {IDC_KEYS2_LIST + 11, 0xE030}, {IDC_KEYS2_LIST + 12, 0xE02E},
    {IDC_KEYS2_LIST + 13, 0xE020}, {IDC_KEYS2_LIST + 14, 0xE022}, {IDC_KEYS2_LIST + 15, 0xE024},
    {IDC_KEYS2_LIST + 16, 0xE010}, {IDC_KEYS2_LIST + 17, 0xE019}, {IDC_KEYS2_LIST + 18, 0xE06D},
    {IDC_KEYS2_LIST + 19, 0xE05F}, {IDC_KEYS2_LIST + 20, 0xE05E}, {0, 0},
};

// The scan codes a key may be remapped to, named as the keys they belong to; 0xFF disables the key.
const ComboEntry Keys2Values[] = {
    {kIdKeyNameNone, 0},
    {kIdKeyNameDisabled, 0xFF},
    {kIdKeyBrowserBack, 0xE06A},
    {kIdKeyBrowserForward, 0xE069},
    {kIdKeyBrowserStop, 0xE068},
    {kIdKeyBrowserRefresh, 0xE067},
    {kIdKeyBrowserSearch, 0xE065},
    {kIdKeyBrowserFavorites, 0xE066},
    {kIdKeyBrowserHome, 0xE032},
    {kIdKeyMail, 0xE06C},
    {kIdKeyLaunchApp1, 0xE06B},
    {kIdKeyLaunchApp2, 0xE021},
    {kIdKeyVolumeUp, 0xE030},
    {kIdKeyVolumeDown, 0xE02E},
    {kIdKeyVolumeMute, 0xE020},
    {kIdKeyPlayPause, 0xE022},
    {kIdKeyStopMedia, 0xE024},
    {kIdKeyPreviousTrack, 0xE010},
    {kIdKeyNextTrack, 0xE019},
    {kIdKeyMediaSelect, 0xE06D},
    {kIdKeySleep, 0xE05F},
    {kIdKeyPower, 0xE05E},
    {kIdKeyCapsLock, 0x3A},
    {kIdKeyLeftCtrl, 0x1D},
    {0, 0},
};

namespace
{
const ItemString Keys2Texts[] = {
    {IDC_CANCEL_PAGE, kIdCancelButton},     {IDC_BACK, kIdBackButton},
    {IDC_INSTALL, kIdInstallButton},        {IDC_KEYS2_FIRST, kIdKeysButton},
    {IDC_KEYS2_CAPTION, kIdMoreKeysButton}, {0, 0},
};
} // namespace

CDlgExpert2::~CDlgExpert2()
{
    free(RowValues);
}

int CDlgExpert2::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageKeys);
    PlacePage();
    SetItemStrings(Keys2Texts);

    int rows = CountRows(Keys2Rows);
    RowValues = static_cast<RowValue*>(calloc(rows, sizeof(RowValue)));
    RowCount = RowValues ? rows : 0;
    for (int row = 0; row < RowCount; ++row)
    {
        uint16_t scanCode = static_cast<uint16_t>(Keys2Rows[row].Value);
        int listId = static_cast<int>(Keys2Rows[row].Key);
        const KeyRecord* record = Owner->FindKeyRecord(scanCode);
        RowValues[row] = {scanCode, record ? record->RemapScanCode : 0u};
        if (record)
            SetItemString(listId - 100, record->NameId);
        if (RowValues[row].Value == 0)
            continue;
        CheckItem(listId - 100, 1);
        EnableItem(listId, 1);
        HWND list = GetDlgItem(Handle, listId);
        FillCombo(list, Keys2Values, static_cast<int32_t>(RowValues[row].Value));
        SendMessageW(list, CB_DELETESTRING, 0, 0);
        int index = FilledIndexOf(Keys2Values, RowValues[row].Value);
        SelectComboItem(list, index);
    }

    // Switched off: none of the rows is offered.
    EnableItem(IDC_INSTALL, 0);
    ShowItem(IDC_INSTALL, 0);
    for (int k = 1; k <= 20; ++k)
    {
        const int row[] = {IDC_KEYS2_CHECK + k, IDC_KEYS2_LIST + k, 0};
        EnableItems(row, 0);
        ShowItems(row, 0);
    }
    SetForegroundWindow(Handle);
    return 1;
}

void CDlgExpert2::RowToggled(int checkId)
{
    if (checkId < IDC_KEYS2_CHECK + 1)
        return;
    int listId = checkId + 100;
    HWND list = GetDlgItem(Handle, listId);
    uint16_t scanCode = LookupValue(static_cast<uint32_t>(listId), Keys2Rows);
    int row = RowOfList(listId, IDC_KEYS2_LIST, RowCount);
    if (!list || scanCode == 0 || row < 0)
        return;
    int checked = IsItemChecked(checkId);
    EnableItem(listId, checked);
    if (!checked)
    {
        RowValues[row].Value = static_cast<uint32_t>(GetComboData(listId));
        ShowRowBlank(list);
        return;
    }
    if (SendMessageW(list, CB_GETCOUNT, 0, 0) <= 0)
        FillCombo(list, Keys2Values, 0);
    SendMessageW(list, CB_DELETESTRING, 0, 0);
    uint32_t value = RowValues[row].Value ? RowValues[row].Value : scanCode;
    int index = FilledIndexOf(Keys2Values, value);
    SelectComboItem(list, index >= 0 ? index : 0);
}

void CDlgExpert2::RowChosen(int listId)
{
    uint16_t scanCode = LookupValue(static_cast<uint32_t>(listId), Keys2Rows);
    int row = RowOfList(listId, IDC_KEYS2_LIST, RowCount);
    if (scanCode == 0 || row < 0)
        return;
    uint32_t value = static_cast<uint32_t>(GetComboData(listId));
    KeyRecord* record = Owner->FindKeyRecord(scanCode);
    if (record)
        record->RemapScanCode = static_cast<uint16_t>(value);
    RowValues[row].Value = value;
}

void CDlgExpert2::StoreRows()
{
    if (!Owner)
        return;
    for (int row = 0; row < RowCount; ++row)
    {
        KeyRecord* record = Owner->FindKeyRecord(static_cast<uint16_t>(RowValues[row].ScanCode));
        if (!record)
            continue;
        int listId = static_cast<int>(Keys2Rows[row].Key);
        record->RemapScanCode = IsItemChecked(listId - 100) ? static_cast<uint16_t>(GetComboData(listId)) : 0;
    }
    Owner->NormaliseKeyTable();
}

int CDlgExpert2::OnCommand()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    if (NotifyCode == CBN_SELCHANGE)
    {
        RowChosen(ControlId);
        return 0;
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
            StoreRows();
            PostToMain(WM_WIZ_SETUP);
            return 1;
        case IDC_KEYS2_FIRST:
            StoreRows();
            PostToMain(WM_WIZ_KEYS1);
            return 1;
        default:
            RowToggled(ControlId);
            return 0;
    }
}
