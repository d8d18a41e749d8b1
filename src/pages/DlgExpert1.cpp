#include <cstdlib>

#include "pages/ControlIds.h"
#include "pages/DlgExpert.h"
#include "payload/KeyTable.h"
#include "payload/StringIds.h"
#include "ui/WndMain.h"
#include "ui/Wizard.h"

// Drop-down id to scan code, one row each, in the order of the rows.
const ValuePair Keys1Rows[] = {
    {IDC_KEYS1_LIST + 1, 0x2A},   {IDC_KEYS1_LIST + 2, 0x36},   {IDC_KEYS1_LIST + 3, 0x1D},
    {IDC_KEYS1_LIST + 4, 0xE01D}, {IDC_KEYS1_LIST + 5, 0x38},   {IDC_KEYS1_LIST + 6, 0xE038},
    {IDC_KEYS1_LIST + 7, 0xE05B}, {IDC_KEYS1_LIST + 8, 0xE05C}, {IDC_KEYS1_LIST + 9, 0xE05D},
    {IDC_KEYS1_LIST + 10, 0x56},  {IDC_KEYS1_LIST + 11, 0x0F},  {IDC_KEYS1_LIST + 12, 0x3A},
    {IDC_KEYS1_LIST + 13, 0x46},  {IDC_KEYS1_LIST + 14, 0x45},  {0, 0},
};

// The virtual keys a row may give its key (0x100: extended). Entry 0 stands for "keep the default"
// and is removed from every filled drop-down, so entry n sits at index n - 1.
const ComboEntry Keys1Values[] = {
    {kIdKeyNameNone, 0},         {kIdKeyNameDisabled, 0xFF},
    {kIdKeySpace, 0x20},         {kIdKeyLeftShift, 0xA0},
    {kIdKeyRightShift, 0x1A1},   {kIdKeyLeftCtrl, 0xA2},
    {kIdKeyRightCtrl, 0x1A3},    {kIdKeyLeftAlt, 0xA4},
    {kIdKeyRightAlt, 0x1A5},     {kIdKeyLeftWindows, 0x15B},
    {kIdKeyRightWindows, 0x15C}, {kIdKeyMenu, 0x15D},
    {kIdKeyOem102, 0xE2},        {kIdKeyEscape, 0x1B},
    {kIdKeyOem3, 0xC0},          {kIdKeyTab, 0x09},
    {kIdKeyCapsLock, 0x14},      {kIdKeyScrollLock, 0x91},
    {kIdKeyNumLock, 0x90},       {kIdKeyInsert, 0x12D},
    {kIdKeyDelete, 0x12E},       {kIdKeyHome, 0x124},
    {kIdKeyEnd, 0x123},          {kIdKeyPageUp, 0x121},
    {kIdKeyPageDown, 0x122},     {kIdKeyPrintScreen, 0x2C},
    {kIdKeyPause, 0x13},         {0, 0},
};

namespace
{
const ItemString Keys1Texts[] = {
    {IDC_CANCEL_PAGE, kIdCancelButton},
    {IDC_BACK, kIdBackButton},
    {IDC_INSTALL, kIdInstallButton},
    {IDC_KEYS1_CAPTION, kIdKeysButton},
    {0, 0},
};

// Rows 15 to 20 have no key; the button to the second page leads nowhere.
const int Keys1Hidden[] = {
    IDC_KEYS1_CHECK + 15, IDC_KEYS1_CHECK + 16,
    IDC_KEYS1_CHECK + 17, IDC_KEYS1_CHECK + 18,
    IDC_KEYS1_CHECK + 19, IDC_KEYS1_CHECK + 20,
    IDC_KEYS1_LIST + 15,  IDC_KEYS1_LIST + 16,
    IDC_KEYS1_LIST + 17,  IDC_KEYS1_LIST + 18,
    IDC_KEYS1_LIST + 19,  IDC_KEYS1_LIST + 20,
    IDC_KEYS1_MORE,       0,
};

} // namespace

CDlgExpert1::~CDlgExpert1()
{
    free(RowValues);
    free(RowListLoaded);
}

int CDlgExpert1::OnInitDialog()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    SetPageNumber(kPageKeys);
    PlacePage();
    EnableItems(Keys1Hidden, 0);
    ShowItems(Keys1Hidden, 0);
    SetItemStrings(Keys1Texts);

    int rows = CountRows(Keys1Rows);
    RowValues = static_cast<RowValue*>(calloc(rows, sizeof(RowValue)));
    RowListLoaded = static_cast<uint32_t*>(calloc(rows, sizeof(uint32_t)));
    RowCount = RowValues && RowListLoaded ? rows : 0;
    for (int row = 0; row < RowCount; ++row)
    {
        RowValues[row].ScanCode = Keys1Rows[row].Value;
        const KeyRecord* record = Owner->FindKeyRecord(static_cast<uint16_t>(Keys1Rows[row].Value));
        RowValues[row].Value = record ? record->AssignedKey : 0;
        if (record)
            SetItemString(IDC_KEYS1_CHECK + 1 + row, record->NameId);
    }
    // An assigned row shows only its choice until the user opens its list or checks its box again.
    for (int row = 0; row < RowCount; ++row)
    {
        uint32_t value = RowValues[row].Value;
        if (value == 0)
            continue;
        int listId = static_cast<int>(Keys1Rows[row].Key);
        CheckItem(listId - 100, 1);
        EnableItem(listId, 1);
        HWND list = GetDlgItem(Handle, listId);
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (int n = 0; Keys1Values[n].StringId != 0; ++n)
        {
            if (static_cast<uint32_t>(Keys1Values[n].Data) != value)
                continue;
            FetchString(Keys1Values[n].StringId);
            LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text.GetW(0)));
            if (index >= 0)
            {
                SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
                SelectComboItem(list, static_cast<int>(index));
            }
            break;
        }
    }
    SetFocus(GetDlgItem(Handle, IDC_BACK));
    SetForegroundWindow(Handle);
    return 0;
}

void CDlgExpert1::RowToggled(int checkId)
{
    if (checkId < IDC_KEYS1_CHECK + 1)
        return;
    int listId = checkId + 100;
    HWND list = GetDlgItem(Handle, listId);
    if (!list)
        return;
    uint16_t scanCode = LookupValue(static_cast<uint32_t>(listId), Keys1Rows);
    int row = RowOfList(listId, IDC_KEYS1_LIST, RowCount);
    if (scanCode == 0 || row < 0)
        return;
    int checked = IsItemChecked(checkId);
    EnableItem(listId, checked);
    if (!checked)
    {
        // Remember the choice for checking again, and show the row as blank.
        RowValues[row].Value = static_cast<uint32_t>(GetComboData(listId));
        ShowRowBlank(list);
        return;
    }
    if (!RowListLoaded[row])
    {
        FillCombo(list, Keys1Values, 0);
        // The drop-down now holds the whole list; opening it must not fill it again.
        RowListLoaded[row] = 1;
    }
    SendMessageW(list, CB_DELETESTRING, 0, 0);
    uint32_t value = RowValues[row].Value;
    if (value == 0)
    {
        const KeyRecord* standard = Owner ? Owner->FindDefaultKeyRecord(scanCode) : nullptr;
        value = standard ? standard->AssignedKey : 0;
    }
    int index = FilledIndexOf(Keys1Values, value);
    SelectComboItem(list, index >= 0 ? index : 0);
}

void CDlgExpert1::RowChosen(int listId)
{
    uint16_t scanCode = LookupValue(static_cast<uint32_t>(listId), Keys1Rows);
    int row = RowOfList(listId, IDC_KEYS1_LIST, RowCount);
    if (scanCode == 0 || row < 0)
        return;
    uint32_t value = static_cast<uint32_t>(GetComboData(listId));
    KeyRecord* record = Owner->FindKeyRecord(scanCode);
    if (record)
        record->AssignedKey = static_cast<uint16_t>(value);
    RowValues[row].Value = value;
}

void CDlgExpert1::LoadRowList(int listId)
{
    int row = RowOfList(listId, IDC_KEYS1_LIST, RowCount);
    if (row < 0 || RowListLoaded[row])
        return;
    uint16_t scanCode = LookupValue(static_cast<uint32_t>(listId), Keys1Rows);
    const KeyRecord* record = scanCode ? Owner->FindKeyRecord(scanCode) : nullptr;
    if (!record)
        return;
    HWND list = GetDlgItem(Handle, listId);
    FillCombo(list, Keys1Values, record->AssignedKey);
    LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    SendMessageW(list, CB_DELETESTRING, 0, 0);
    SelectComboItem(list, selected > 0 ? static_cast<int>(selected) - 1 : -1);
    RowListLoaded[row] = 1;
}

void CDlgExpert1::StoreRows()
{
    if (!Owner)
        return;
    for (int row = 0; row < RowCount; ++row)
    {
        KeyRecord* record = Owner->FindKeyRecord(static_cast<uint16_t>(RowValues[row].ScanCode));
        if (!record)
            continue;
        int listId = static_cast<int>(Keys1Rows[row].Key);
        record->AssignedKey = IsItemChecked(listId - 100) ? static_cast<uint16_t>(GetComboData(listId)) : 0;
    }
    // A key given its own default virtual key is stored as unchanged.
    Owner->NormaliseKeyTable();
}

int CDlgExpert1::OnCommand()
{
    if (!Owner || !Owner->HasInstaller())
        return 0;
    switch (NotifyCode)
    {
        case BN_CLICKED:
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
                case IDC_KEYS1_MORE:
                    StoreRows();
                    PostToMain(WM_WIZ_KEYS2);
                    return 1;
                default:
                    RowToggled(ControlId);
                    return 0;
            }
        case CBN_SELENDOK:
            RowChosen(ControlId);
            return 0;
        case CBN_DROPDOWN:
            LoadRowList(ControlId);
            return 0;
        default:
            return 0;
    }
}
