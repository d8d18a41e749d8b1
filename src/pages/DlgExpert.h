// The key assignment pages. The first (template 204) gives fourteen modifier and lock keys other
// virtual keys; the second (template 205, scan-code remapping) belongs to the set but is switched off:
// no visible control leads to it and it shows none of its rows.
#pragma once

#include <cstdint>

#include "ui/WndBase.h"

class CDlgInstallBase : public CWndBase
{
};

// What a row shows or remembers: the key's scan code and the chosen value.
struct RowValue
{
    uint32_t ScanCode;
    uint32_t Value;
};

class CDlgExpert1 : public CDlgInstallBase
{
  public:
    ~CDlgExpert1() override;
    int OnCommand() override;
    int OnInitDialog() override;

    void RowToggled(int checkId);
    void RowChosen(int listId);
    void LoadRowList(int listId);
    void StoreRows();

    RowValue* RowValues = nullptr;
    int32_t RowCount = 0;
    uint32_t* RowListLoaded = nullptr;
};

class CDlgExpert2 : public CWndBase
{
  public:
    ~CDlgExpert2() override;
    int OnCommand() override;
    int OnInitDialog() override;

    void RowToggled(int checkId);
    void RowChosen(int listId);
    void StoreRows();

    RowValue* RowValues = nullptr;
    int32_t RowCount = 0;
};

// Helpers both key pages use for their rows.
// Rows in a table ended by a zero key.
int CountRows(const ValuePair* rows);
// Row of a drop-down whose ids follow firstListId + 1, or -1 outside the rowCount rows.
int RowOfList(int listId, int firstListId, int rowCount);
// Index in a filled drop-down (its entry 0 removed) of the entry with this value, or -1.
int FilledIndexOf(const ComboEntry* values, uint32_t value);
// Shows an unchecked row as blank: a selected empty entry of value 0 in front of the list.
void ShowRowBlank(HWND list);

// The rows' tables, for the tests as much as for the pages: {drop-down id, scan code} and
// {string id, value} as the drop-downs list them.
extern const ValuePair Keys1Rows[];
extern const ComboEntry Keys1Values[];
extern const ValuePair Keys2Rows[];
extern const ComboEntry Keys2Values[];
