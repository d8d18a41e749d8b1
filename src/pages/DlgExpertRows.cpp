// What the two key pages share in handling their rows.
#include "pages/DlgExpert.h"

int CountRows(const ValuePair* rows)
{
    int count = 0;
    while (rows[count].Key != 0)
        ++count;
    return count;
}

int RowOfList(int listId, int firstListId, int rowCount)
{
    int row = listId - (firstListId + 1);
    return row >= 0 && row < rowCount ? row : -1;
}

int FilledIndexOf(const ComboEntry* values, uint32_t value)
{
    for (int n = 1; values[n].StringId != 0; ++n)
        if (static_cast<uint32_t>(values[n].Data) == value)
            return n - 1;
    return -1;
}

void ShowRowBlank(HWND list)
{
    LRESULT index = SendMessageW(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u" "));
    if (index >= 0)
    {
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), 0);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}
