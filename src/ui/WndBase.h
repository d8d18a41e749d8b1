// CWndBase: one Win32 window or modeless dialog bound to one object. The message now being handled
// is kept in the object, so handlers take no arguments and read Msg, WParam, LParam and the decoded
// WM_COMMAND / WM_NOTIFY fields.
#pragma once

#include <windows.h>

#include <cstdint>

#include "text/GString.h"

class CWizard;

// {control id, string id}; a table ends with control id 0.
struct ItemString
{
    int ControlId;
    uint32_t StringId;
};

// {string id, item data}; a table ends with string id 0.
struct ComboEntry
{
    uint32_t StringId;
    int32_t Data;
};

// {key, value}; a table ends with key 0.
struct ValuePair
{
    uint32_t Key;
    uint32_t Value;
};

// One per dispatch in progress on an object; the destructor marks them all, so a dispatch whose
// handler deleted the object (a window destroyed from inside its own message) never touches it again.
struct DispatchFrame
{
    int Deleted;
    DispatchFrame* Outer;
};

class CWndBase
{
  public:
    CWndBase();
    CWndBase(const CWndBase&) = delete;
    CWndBase& operator=(const CWndBase&) = delete;

    virtual ~CWndBase();
    virtual int OnMessage();
    virtual int OnCommand();
    virtual int OnNcDestroy();
    virtual int OnCreate();
    virtual int OnPaint();
    virtual int OnDestroy();
    virtual int OnClose();
    virtual int OnInitDialog();
    virtual int Close();

    int Attach(HWND window);
    void Detach();
    LRESULT DispatchWindowMessage();
    INT_PTR DispatchDialogMessage();

    void RegisterWindowClass();
    int CreateTopWindow(uint32_t titleId, DWORD style, int width, int height);
    int CreatePage(int templateId, HWND parent);
    int DestroyBoundWindow();

    int FetchString(uint32_t id);
    int FetchStringInto(uint32_t id, GString& text);
    int SetItemString(int controlId, uint32_t stringId);
    int SetItemText(int controlId, const char16_t* text);
    void SetItemStrings(const ItemString* table);
    int EnableItem(int controlId, int enable);
    void EnableItems(const int* controlIds, int enable);
    int ShowItem(int controlId, int show);
    void ShowItems(const int* controlIds, int show);
    int IsItemChecked(int controlId);
    int CheckItem(int controlId, int check);
    void SelectComboItem(HWND combo, int index);
    int32_t GetComboData(int controlId);
    int FillCombo(HWND combo, const ComboEntry* table, int32_t selectedData);
    int FillComboItem(int controlId, const ComboEntry* table, int32_t selectedData);
    static uint16_t LookupValue(uint32_t key, const ValuePair* table);
    static const ValuePair* FindEntry(uint32_t key, const ValuePair* table);
    void PostToMain(UINT message);
    void SetPageNumber(uint32_t page);
    int32_t GetPageNumber();
    int ShowMessage(const char16_t* text, UINT type);
    int ShowMessageString(uint32_t id, UINT type);
    int PlacePage();

    HWND Handle = nullptr;
    uint32_t IsDialog = 0;
    uint16_t ClassAtom = 0;
    CWizard* Owner = nullptr;
    GString Text;
    LRESULT Result = 0;
    uint16_t NotifyCode = 0;
    uint16_t ControlId = 0;
    HWND ControlWindow = nullptr;
    uint32_t NotifyHeaderCode = 0;
    NMHDR* NotifyHeader = nullptr;
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    int TextHeight = 0;

  protected:
    // Height of one line of the header font on the given window's DC ("Ó" reaches highest).
    int MeasureHeaderLine(HWND window);

  private:
    void ResetDecoded();
    DispatchFrame* Frames = nullptr;
};

// The one window procedure and the one dialog procedure of the program.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
